#include "ui/messagebox.h"
#include "panel/brixolineedit.h"
#include "panel/pannelsetting.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

TEST(PannelSetting, LayoutRangesAndPresets)
{
    pannelSetting dlg;
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("面板属性设置"));
    auto* tabs = dlg.findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->count(), 1);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("虚拟面板设置"));
    EXPECT_EQ(tabs->minimumWidth(), 250);
    EXPECT_EQ(tabs->maximumWidth(), 250);

    struct Case {
        QSpinBox* spin;
        int maximum;
    };
    const Case cases[] = {
        {dlg.switchSpin, 36}, {dlg.keySpin, 20}, {dlg.redLedSpin, 18}, {dlg.greenLedSpin, 18}, {dlg.digitSpin, 8}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.spin->minimum(), 0) << c.spin->objectName().toStdString();
        EXPECT_EQ(c.spin->maximum(), c.maximum);
        EXPECT_EQ(c.spin->value(), c.maximum);
        EXPECT_TRUE(c.spin->isEnabled());
    }
    EXPECT_EQ(dlg.nameEdit->placeholderText(), QStringLiteral("请输入实验板名称"));
    EXPECT_EQ(dlg.identifierEdit->placeholderText(), QStringLiteral("仿真标识，普通用户请勿修改"));
    EXPECT_EQ(dlg.okButton->text(), QStringLiteral("确定"));
    EXPECT_EQ(dlg.cancelButton->text(), QStringLiteral("取消"));
    QStringList labels;
    for (auto* l : dlg.findChildren<QLabel*>())
        labels << l->text();
    for (const char* want :
         {"名称：", "标识：", "开关数量：", "按键数量：", "红灯数量：", "绿灯数量：", "数码管数量："})
        EXPECT_TRUE(labels.contains(QString::fromUtf8(want))) << want;
}

TEST(PannelSetting, OkStoresWhatWasTypedCancelRejects)
{
    pannelSetting dlg;
    dlg.show();
    QTest::keyClicks(dlg.nameEdit, QStringLiteral("  DE2  lab "));
    QTest::keyClicks(dlg.identifierEdit, QStringLiteral("exp1"));
    dlg.switchSpin->setValue(10);
    dlg.digitSpin->selectAll();
    QTest::keyClicks(dlg.digitSpin, QStringLiteral("9")); // past the range: refused by the spin box
    QTest::mouseClick(dlg.okButton, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.switchCount, 10);
    EXPECT_EQ(dlg.keyCount, 20);
    EXPECT_LE(dlg.digitCount, 8);
    EXPECT_EQ(dlg.panelName, QStringLiteral("  DE2  lab ")); // simplified by the window when stored
    EXPECT_EQ(dlg.experimentName, QStringLiteral("exp1"));

    pannelSetting other;
    other.show();
    QTest::mouseClick(other.cancelButton, Qt::LeftButton);
    EXPECT_EQ(other.result(), QDialog::Rejected);
    EXPECT_EQ(other.switchCount, 0);
}

TEST(PannelSetting, InformationFormLocksCounts)
{
    pannelSetting dlg;
    dlg.showPanel({3, 4, 5, 6, 7}, QStringLiteral("板"), QStringLiteral("id"));
    for (QSpinBox* s : {dlg.switchSpin, dlg.keySpin, dlg.redLedSpin, dlg.greenLedSpin, dlg.digitSpin})
        EXPECT_FALSE(s->isEnabled()) << s->objectName().toStdString();
    EXPECT_EQ(dlg.switchSpin->value(), 3);
    EXPECT_EQ(dlg.digitSpin->value(), 7);
    EXPECT_EQ(dlg.nameEdit->text(), QStringLiteral("板"));
    EXPECT_EQ(dlg.identifierEdit->text(), QStringLiteral("id"));
}

TEST(MessageBoxDialogs, QueuedHandlerRunsInsteadOfModalLoop)
{
    pannelSetting dlg;
    MessageBox::setNextDialog([](QDialog& d) {
        auto& s = static_cast<pannelSetting&>(d);
        s.nameEdit->setText(QStringLiteral("x"));
        QTest::mouseClick(s.okButton, Qt::LeftButton);
        return s.result();
    });
    EXPECT_EQ(MessageBox::execDialog(dlg), QDialog::Accepted);
    EXPECT_EQ(dlg.panelName, QStringLiteral("x"));
}

TEST(BrixoLineedit, SetLabelTextFitsTheText)
{
    BrixoLineedit shortLabel, longLabel;
    shortLabel.setLabelText(QStringLiteral("A"));
    longLabel.setLabelText(QStringLiteral("一段很长很长的注释文字，用来说明实验板的接线"));
    EXPECT_EQ(shortLabel.text(), QStringLiteral("A"));
    EXPECT_EQ(shortLabel.font().pointSize(), 14);
    EXPECT_LT(shortLabel.width(), longLabel.width());
    EXPECT_GE(longLabel.width(), QFontMetrics(longLabel.font()).horizontalAdvance(longLabel.text()));
}

TEST(PannelSetting, ReturnAcceptsEscapeRejects)
{
    pannelSetting dlg;
    dlg.show();
    QTest::keyClicks(dlg.nameEdit, QStringLiteral("kbd"));
    QTest::keyClick(dlg.nameEdit, Qt::Key_Return);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.panelName, QStringLiteral("kbd"));

    pannelSetting other;
    other.show();
    QTest::keyClick(other.nameEdit, Qt::Key_Escape);
    EXPECT_EQ(other.result(), QDialog::Rejected);
}
