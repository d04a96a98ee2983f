// One emulated HID adapter over an emulated lab circuit, connected through vestrix; every
// record starts empty and the library's boxes are collected instead of shown.
#pragma once
#include "support/emu_adapter.h"
#include "support/lab_circuit.h"

#include <hostui.h>
#include <tamro.h>
#include <vestrix.h>

#include <gtest/gtest.h>

#include <vector>

class Lab : public ::testing::Test {
protected:
    void SetUp() override
    {
        emu::install();
        hostui::setCollecting(true);
        EnableDLLMessage(0);
        SetDllLanguage(0);
        SetParentWnd(nullptr);
        CloseDevice();
        SelectDevice(-1);
        ver_FPGA = 0;
        emu::attach(&adapter);
        ASSERT_EQ(ScanTAMRO(list, nullptr, 0), VESTRIX_OK);
        ASSERT_EQ(ConnectDevice(0), VESTRIX_OK);
        clear();
    }
    void TearDown() override
    {
        CloseDevice();
        SelectDevice(-1);
        EnableDLLMessage(0);
        SetParentWnd(nullptr);
        SetDllLanguage(0);
        ver_FPGA = 0;
        hostui::setCollecting(false);
        emu::uninstall();
    }
    void clear()
    {
        circuit.clearRecords();
        adapter.clearRecords();
        hostui::takeCollected();
        hostui::takeProgressEvents();
    }
    // The selectors of every scan that reached the circuit, in order.
    std::vector<int> selectors() const
    {
        std::vector<int> out;
        for (const auto &s : circuit.scans())
            out.push_back(s.instruction);
        return out;
    }
    // Every device session the library opened has been closed again.
    bool balanced() const { return adapter.opens == adapter.closes; }

    emu::LabCircuit circuit;
    emu::Adapter adapter{emu::Adapter::Kind::Hid, &circuit};
    char list[VESTRIX_LIST_SIZE] = {};
};
