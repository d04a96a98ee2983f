// One emulated HID adapter over an emulated lab circuit, connected through vestrix, for the
// program's board link. The libraries' boxes are collected; the program's boxes and dialogs
// are answered through MessageBox.
#pragma once
#include "app/dialogconnnect.h"
#include "app/mainwindow.h"
#include "board/errormessage.h"
#include "board/runmode.h"
#include "board/tamroadpter.h"
#include "board/virtualcomponentdata.h"
#include "ui/messagebox.h"
#include "support/emu_adapter.h"
#include "support/lab_circuit.h"

#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QThread>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <hostui.h>
#include <tamro.h>
#include <vestrix.h>

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <vector>

#include <vestrix_board.h>

class BoardLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        emu::install();
        ErrorMessage::setReconnect(&DialogConnnect::reconnect);
        hostui::setCollecting(true);
        EnableDLLMessage(0);
        SetDllLanguage(0);
        SetParentWnd(nullptr);
        CloseDevice();
        SelectDevice(-1);
        emu::attach(&adapter);
        TamroAdpter connect;
        ASSERT_EQ(connect.scan(true), 0);
        ASSERT_EQ(connect.connect(0), 0);
        clear();
    }
    void TearDown() override
    {
        CloseDevice();
        SelectDevice(-1);
        SetParentWnd(nullptr);
        hostui::setCollecting(false);
        emu::uninstall();
        MessageBox::clearShown();
        ErrorMessage::setReconnect(nullptr);
    }
    void clear()
    {
        circuit.clearRecords();
        adapter.clearRecords();
        hostui::takeCollected();
        MessageBox::clearShown();
    }
    std::vector<int> selectors() const
    {
        std::vector<int> out;
        for (const auto& s : circuit.scans())
            out.push_back(s.instruction);
        return out;
    }
    // Forgets the connection, as after unplugging: the next board call gets -5.
    static void disconnect()
    {
        std::lock_guard<std::recursive_mutex> lock(brixo::vestrixMutex()); // never beside a step
        CloseDevice();
        SelectDevice(-1);
    }
    // Spins the event loop until the board has answered what was asked (5 s at most).
    static bool waitIdle(const std::function<bool()>& busy)
    {
        QElapsedTimer clock;
        clock.start();
        while (busy()) {
            if (clock.elapsed() > 5000)
                return false;
            QCoreApplication::processEvents();
            QThread::usleep(200);
        }
        return true;
    }
    static bool waitIdle(const VirtualComponentData& data)
    {
        return waitIdle([&data] { return data.busy(); });
    }
    static bool waitIdle(const MainWindow& w)
    {
        return waitIdle([&w] { return w.runMode()->boardBusy(); });
    }
    // Answers the next connect dialog by pressing one of its buttons ("button2" connects,
    // "button3" cancels); records what the dialog showed.
    struct DialogSeen {
        bool opened = false;
        bool warningVisible = false;
        QString warning, warningStyle;
        int listed = -1;
    };
    static void answerConnectDialog(DialogSeen* seen, const char* button)
    {
        MessageBox::setNextDialog([seen, button](QDialog& d) {
            seen->opened = true;
            auto* warning = d.findChild<QLabel*>(QStringLiteral("textWarning"));
            seen->warningVisible = warning && !warning->isHidden();
            seen->warning = warning ? warning->text() : QString();
            seen->warningStyle = warning ? warning->styleSheet() : QString();
            auto* list = d.findChild<QListWidget*>(QStringLiteral("deviceList"));
            seen->listed = list ? list->count() : -1;
            if (auto* b = d.findChild<QPushButton*>(QLatin1String(button)))
                b->click();
            return d.result();
        });
    }

    emu::LabCircuit circuit;
    emu::Adapter adapter{emu::Adapter::Kind::Hid, &circuit};
};
