#include "platform/QtMessageFilter.h"

#include "platform/EventRecord.h"

#include <QString>
#include <QtGlobal>

namespace {

void RecordSeriousQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        WriteRecordLine(message.trimmed().toLocal8Bit().toStdString());
}

} // namespace

void KeepQtWarningsOutOfRecord()
{
    qInstallMessageHandler(RecordSeriousQtMessages);
}
