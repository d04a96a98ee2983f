// The Simulate dialog on its own: the simulators it offers are those whose programs are on PATH,
// and the top modules are the files' modules that no other instantiates.
#include "board/simulate_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QStringList items(const QComboBox* box, bool data)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << (data ? box->itemData(i).toString() : box->itemText(i));
    return out;
}

TEST(SimulateDialog, OffersOnlyTheSimulatorsWhoseProgramsAreInstalled)
{
    const QByteArray path = qgetenv("PATH");
    const struct {
        QStringList programs;
        QStringList offered;
    } cases[] = {
        {{"iverilog", "vvp", "verilator", "make"}, {"iverilog", "verilator"}},
        {{"iverilog", "vvp"}, {"iverilog"}},
        {{"verilator", "make", "vvp"}, {"verilator"}},
        {{"iverilog", "verilator"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.programs.join(QLatin1Char(' ')).toStdString());
        QTemporaryDir bin;
        for (const QString& p : c.programs) {
            QFile f(bin.filePath(p));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        }
        qputenv("PATH", bin.path().toLocal8Bit());
        SimulateDialog dialog({bin.filePath(QStringLiteral("design.v"))}, DesignChoices());
        qputenv("PATH", path);
        EXPECT_EQ(items(dialog.findChild<QComboBox*>(QStringLiteral("simulator")), true), c.offered);
        const bool none = c.offered.isEmpty();
        EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("noSimulator")) != nullptr, none);
        EXPECT_EQ(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled(), !none);
    }
}

TEST(SimulateDialog, ListsTheModulesNoOtherInstantiatesOrLeavesTheChoiceToTheServer)
{
    QTemporaryDir dir;
    const QString sub = dir.filePath(QStringLiteral("sub.v")), top = dir.filePath(QStringLiteral("top.v"));
    for (const auto& [file, text] :
         {std::pair<QString, const char*>{sub, "module sub(input a, output b);\n  assign b = a;\nendmodule\n"},
          {top, "module top(input [1:0] SW, output [1:0] LEDR);\n  sub s(SW[0], LEDR[0]);\nendmodule\n"
                "module spare(input clk);\nendmodule\n"}}) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    const QString missing = dir.filePath(QStringLiteral("missing.v"));
    const struct {
        QStringList files;
        QString rememberedTop;
        QStringList listed; // the modules' names; "" for the server's choice
        QString chosen;
        bool note;
    } cases[] = {
        {{sub, top}, QString(), {"top", "spare"}, "top", false},
        {{sub, top}, "spare", {"top", "spare"}, "spare", false},
        {{sub, top}, "gone", {"top", "spare"}, "top", false},
        {{missing}, QString(), {""}, "", true},
        {{top, missing}, "top", {"", "top"}, "top", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.files.join(QLatin1Char(' ')) + QLatin1Char(' ') + c.rememberedTop).toStdString());
        DesignChoices preset;
        preset.top = c.rememberedTop;
        SimulateDialog dialog(c.files, preset);
        EXPECT_EQ(items(dialog.findChild<QComboBox*>(QStringLiteral("topModule")), true), c.listed);
        EXPECT_EQ(dialog.choices().top, c.chosen);
        EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("topModuleNote")) != nullptr, c.note);
    }
}

} // namespace
