#include "WindowFixture.h"

#include "platform/MessageBox.h"
#include "platform/registry/Registry.h"
#include "res/StringTable.h"
#include "ui/dialog/Dialog.h"
#include "ui/dialog/qt/DirectoryDialogSeam.h"
#include "ui/dialog/qt/WindowHandle.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QThread>
#include <QTimer>
#include <QWidget>

void WindowFixture::SetUp()
{
    ASSERT_TRUE(m_scratch.isValid());
    RegSetStoreFile(HKEY_LOCAL_MACHINE, StoreFile());
    AfxSetMessageBoxSeam([this](const std::string& text, const std::string& caption) {
        m_boxes.push_back({text, caption});
        return IDOK;
    });
    SetDirectoryDialogSeam([this](const DirectoryDialogRequest& request) {
        m_chooserStarts.push_back(request.startPath);
        m_chooserTitles.push_back(request.title);
        std::optional<std::string> choice;
        if (!m_choices.empty()) {
            choice = m_choices.front();
            m_choices.pop_front();
        }
        return choice;
    });
}

void WindowFixture::TearDown()
{
    AfxSetMessageBoxSeam({});
    SetDirectoryDialogSeam({});
    ClearResStringOverrides();
}

std::string WindowFixture::MakeDir(const std::string& name, const std::string& fileName, const std::string& content)
{
    const QString path = m_scratch.filePath(QString::fromStdString(name));
    EXPECT_TRUE(QDir().mkpath(path));
    if (!fileName.empty()) {
        QFile file(path + "/" + QString::fromStdString(fileName));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content.data(), static_cast<qint64>(content.size()));
    }
    return path.toStdString();
}

std::string WindowFixture::ReadFile(const std::string& path) const
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll().toStdString();
}

std::string WindowFixture::StoreFile() const
{
    return m_scratch.filePath("hklm.db").toStdString();
}

int WindowFixture::RunModal(CDialog& dialog, std::function<void()> script)
{
    QTimer::singleShot(0, std::move(script));
    // Local, so that it cannot fire once the run it guards is over.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&dialog] {
        if (QtDialog(dialog) && QtDialog(dialog)->isVisible()) {
            ADD_FAILURE() << "the dialog was still open";
            dialog.EndDialog(-2);
        }
    });
    watchdog.start(20000);
    return dialog.DoModal();
}

void WindowFixture::Pump(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
}

void WindowFixture::MouseClick(QWidget* target, int clicks, std::optional<QPoint> at)
{
    const QPoint local = at.value_or(target->rect().center());
    const QPoint global = target->mapToGlobal(local);
    const auto send = [&](QEvent::Type type, Qt::MouseButtons held) {
        QMouseEvent event(type, local, global, Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    };
    for (int click = 0; click < clicks; ++click) {
        send(click == 0 ? QEvent::MouseButtonPress : QEvent::MouseButtonDblClick, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, Qt::NoButton);
    }
}
