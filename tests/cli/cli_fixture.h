// brixo-cli run as a process over the real libvestrix and libtamro, whose hidapi calls reach an
// emulated adapter with the adder circuit behind it (through the LD_PRELOAD proxy).
#pragma once
#include "run_process.h"

#include "support/adder_circuit.h"
#include "support/emu_adapter.h"
#include "support/emu_hid_service.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        service.add(&adapter);
    }
    ProcessResult cli(std::vector<std::string> args, std::vector<std::string> env = {},
                      const std::function<void(int)> &started = {})
    {
        args.insert(args.begin(), BRIXO_CLI);
        env.insert(env.begin(), {"LD_PRELOAD=" HID_PROXY, "BRIXO_EMU_HID_SOCKET=" + service.socketPath(), "LANG=C",
                                 "LC_ALL=", "LC_MESSAGES=", "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0"});
        return runProcess(args, env, started);
    }
    std::string file(const char *name, const std::string &content)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(content.data(), qint64(content.size()));
        return path.toStdString();
    }
    QTemporaryDir dir;
    emu::AdderCircuit circuit;
    emu::Adapter adapter{emu::Adapter::Kind::Hid, &circuit};
    emu::HidService service;
};

inline bool contains(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }
