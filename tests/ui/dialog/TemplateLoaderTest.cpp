// Dialogs built from their templates: pixel geometry from the font's base
// units, the widget of each control kind with the styles that matter, and
// captions that fit their controls.
#include "ui/dialog/qt/TemplateLoader.h"
#include "res/ResourceIds.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <gtest/gtest.h>

namespace {

DialogBaseUnits UnitsOf(int templateId)
{
    return ComputeBaseUnits(TemplateFont(*FindDialogTemplate(templateId)));
}

} // namespace

TEST(TemplateLoader, BaseUnitsAreTheFontsAverageLetterWidthAndHeight)
{
    const QFont font = TemplateFont(*FindDialogTemplate(IDD_VANTREL_DIALOG));
    EXPECT_EQ(font.pointSize(), 8);
    EXPECT_FALSE(QFontInfo(font).family().isEmpty());
    const QFontMetrics metrics(font);
    const DialogBaseUnits units = ComputeBaseUnits(font);
    const double average = metrics.horizontalAdvance("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ") / 52.0;
    EXPECT_LE(std::abs(units.x - average), 0.5);
    EXPECT_EQ(units.y, metrics.height());
    // Qt's own average runs narrow and would clip captions.
    EXPECT_GE(units.x, metrics.averageCharWidth());
}

TEST(TemplateLoader, PlacesControlsOfTheMainWindowInDialogUnits)
{
    QDialog dialog;
    ASSERT_TRUE(BuildDialogFromTemplate(IDD_VANTREL_DIALOG, &dialog));
    const DialogBaseUnits u = UnitsOf(IDD_VANTREL_DIALOG);
    struct Case {
        int id;
        int x, y, w, h;
    };
    const Case cases[] = {
        {IDC_SEARCH_DIRS, 15, 15, 155, 40},   {IDC_ADD, 180, 15, 50, 14}, {IDC_WRITE_DIR, 15, 70, 155, 14},
        {IDC_RUN_MINIMIZED, 100, 90, 63, 10}, {IDOK, 180, 120, 50, 14},
    };
    for (const Case& c : cases) {
        QWidget* control = FindControl(&dialog, c.id);
        ASSERT_NE(control, nullptr) << c.id;
        EXPECT_EQ(control->geometry(), QRect(c.x * u.x / 4, c.y * u.y / 8, c.w * u.x / 4, c.h * u.y / 8)) << c.id;
    }
    EXPECT_EQ(dialog.size(), QSize(237 * u.x / 4, 141 * u.y / 8));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "fixed size";
    EXPECT_EQ(dialog.windowTitle(), "Vantrel server");
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST(TemplateLoader, MapsEachKindWithTheStylesThatMatter)
{
    QDialog dialog;
    ASSERT_TRUE(BuildDialogFromTemplate(IDD_VANTREL_DIALOG, &dialog));
    auto* list = qobject_cast<QListWidget*>(FindControl(&dialog, IDC_SEARCH_DIRS));
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->property(kSortedListProperty).toBool());
    for (int id : {IDC_WRITE_DIR, IDC_STATUS}) {
        auto* edit = qobject_cast<QLineEdit*>(FindControl(&dialog, id));
        ASSERT_NE(edit, nullptr) << id;
        EXPECT_TRUE(edit->isReadOnly());
    }
    for (int id : {IDC_ADD, IDC_REMOVE, IDC_ABOUT, IDOK}) {
        auto* button = qobject_cast<QPushButton*>(FindControl(&dialog, id));
        ASSERT_NE(button, nullptr) << id;
        EXPECT_FALSE(button->autoDefault()) << id;
        EXPECT_FALSE(button->isDefault()) << id;
    }
    EXPECT_EQ(qobject_cast<QPushButton*>(FindControl(&dialog, IDOK))->text(), "Exit");
    EXPECT_EQ(qobject_cast<QCheckBox*>(FindControl(&dialog, IDC_ENABLE_WRITE))->text(), "Enable Writes");

    QDialog about;
    ASSERT_TRUE(BuildDialogFromTemplate(IDD_ABOUTBOX, &about));
    EXPECT_TRUE(qobject_cast<QPushButton*>(FindControl(&about, IDOK))->isDefault());
    const auto labels = about.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 2);
    EXPECT_EQ(labels[0]->text(), "Vantrel TFTP Server Version 1.2");
    EXPECT_EQ(labels[1]->pixmap().size(), QSize(32, 32));

    QDialog legacy;
    ASSERT_TRUE(BuildDialogFromTemplate(IDD_LEGACY_DIR_DIALOG, &legacy));
    EXPECT_NE(qobject_cast<QComboBox*>(FindControl(&legacy, cmb2)), nullptr);
    EXPECT_FALSE(qobject_cast<QLineEdit*>(FindControl(&legacy, edt1))->isReadOnly());
    EXPECT_EQ(qobject_cast<QLabel*>(FindControl(&legacy, stc3))->text(), "File Name:") << "mnemonic mark removed";

    EXPECT_FALSE(BuildDialogFromTemplate(4242, &legacy));
}

TEST(TemplateLoader, TabOrderIsTemplateOrderOverTabStops)
{
    QDialog dialog;
    ASSERT_TRUE(BuildDialogFromTemplate(IDD_VANTREL_DIALOG, &dialog));
    std::vector<int> order;
    QWidget* first = FindControl(&dialog, IDC_SEARCH_DIRS);
    QWidget* widget = first;
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            order.push_back(GetControlId(widget));
        widget = widget->nextInFocusChain();
    } while (widget != first && order.size() < 20);
    EXPECT_EQ(order,
              (std::vector<int>{IDC_SEARCH_DIRS, IDC_ADD, IDC_REMOVE, IDC_WRITE_DIR, IDC_ENABLE_WRITE,
                                IDC_RUN_MINIMIZED, IDC_STATUS, IDC_ABOUT, IDOK}));
    for (QLabel* label : dialog.findChildren<QLabel*>())
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
}

// The captions must fit their controls in the stand-in font; the rendered
// pictures are kept for a look by eye.
TEST(TemplateLoader, CaptionsFitTheirControls)
{
    for (int templateId : {IDD_VANTREL_DIALOG, IDD_ABOUTBOX, IDD_LEGACY_DIR_DIALOG}) {
        QDialog dialog;
        ASSERT_TRUE(BuildDialogFromTemplate(templateId, &dialog));
        for (QWidget* control : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const QFontMetrics metrics(control->font());
            int needed = 0;
            if (auto* label = qobject_cast<QLabel*>(control); label && label->pixmap().isNull())
                needed = metrics.horizontalAdvance(label->text());
            else if (auto* box = qobject_cast<QCheckBox*>(control))
                needed = box->style()->pixelMetric(QStyle::PM_IndicatorWidth)
                    + box->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing)
                    + metrics.horizontalAdvance(box->text());
            else if (auto* button = qobject_cast<QPushButton*>(control))
                needed = metrics.horizontalAdvance(button->text()) + 4;
            EXPECT_LE(needed, control->width()) << templateId << " control " << GetControlId(control);
            if (qobject_cast<QLabel*>(control)) {
                EXPECT_LE(metrics.height(), control->height() + 1) << templateId;
            }
        }
        dialog.show();
        QApplication::processEvents();
        QDir().mkpath(VANTREL_BINARY_DIR "/shots");
        dialog.grab().save(QString(VANTREL_BINARY_DIR "/shots/template-%1.png").arg(templateId));
    }
}
