// libvestrix.so as another lab program sees it: exactly the listed names leave the library,
// the notice is not readable in the file, and calls work through the loaded library alone.
#include <vestrix.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace {

const std::set<std::string> kExports = {"EnableDLLMessage",
                                        "SetDllLanguage",
                                        "SetParentWnd",
                                        "ScanTAMRO",
                                        "ConnectDevice",
                                        "SetSwitchStatus",
                                        "SetButtonStatus",
                                        "GetLedStatus",
                                        "GetHexStatus",
                                        "ReadCpuData",
                                        "ReadSignalData",
                                        "SetVirtualMode",
                                        "ResetLab",
                                        "ResetCpu",
                                        "RunMicroInstructionStep",
                                        "RunInstructionStep",
                                        "RunWithBreakpoint",
                                        "RunContinuous",
                                        "IsStopOnBK",
                                        "StopRunWithBK",
                                        "ReadCM",
                                        "WriteCM",
                                        "ReadMM",
                                        "WriteMM",
                                        "ResetCMScanChain",
                                        "ResetMMScanChain",
                                        "ResolveScanChian",
                                        "ConfigureFPGA",
                                        "ConfigureFPGABytes",
                                        "ConfigureFPGAContent",
                                        "ConfigureFPGAOk",
                                        "EnterUpgradeFirmware",
                                        "SetConfigureProgress",
                                        "ShowTamroInfo",
                                        "ShowChipInfo",
                                        "ShowTamroVolt",
                                        "SetTAMROSpeed",
                                        "SetTAMROPower",
                                        "GetCopyRightText",
                                        "ver_FPGA"};

std::set<std::string> definedDynamicSymbols(const std::string &library)
{
    std::set<std::string> names;
    FILE *nm = popen(("nm -D --defined-only '" + library + "'").c_str(), "r");
    if (!nm)
        return names;
    char line[512];
    while (std::fgets(line, sizeof line, nm)) {
        std::string s(line);
        while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
            s.pop_back();
        const size_t space = s.rfind(' ');
        names.insert(space == std::string::npos ? s : s.substr(space + 1));
    }
    pclose(nm);
    return names;
}

} // namespace

TEST(VestrixExports, ExactlyTheListedNamesLeaveTheLibrary)
{
    EXPECT_EQ(definedDynamicSymbols(VESTRIX_LIBRARY), kExports);
}

TEST(VestrixExports, LoadedLibraryWorksThroughItsNames)
{
    void *lib = dlopen(VESTRIX_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    for (const std::string &name : kExports)
        EXPECT_NE(dlsym(lib, name.c_str()), nullptr) << name;
    EXPECT_EQ(dlsym(lib, "_ZN7vestrix5stateEv"), nullptr); // internals stay inside

    auto resolve = reinterpret_cast<decltype(&ResolveScanChian)>(dlsym(lib, "ResolveScanChian"));
    const unsigned char data[3] = {0xCD, 0xAB, 0x01};
    unsigned char out[2] = {};
    const int offset = 4, bytes = 1, bits = 4;
    EXPECT_EQ(resolve(data, 0, out, &offset, &bytes, &bits), 2);
    EXPECT_EQ(out[0], 0xBC);
    EXPECT_EQ(out[1], 0x0A);

    auto version = static_cast<int32_t *>(dlsym(lib, "ver_FPGA"));
    EXPECT_EQ(*version, 0); // nothing read yet

    auto notice = reinterpret_cast<decltype(&GetCopyRightText)>(dlsym(lib, "GetCopyRightText"));
    const std::string text = notice();
    ASSERT_FALSE(text.empty());
    std::ifstream file(VESTRIX_LIBRARY, std::ios::binary);
    const std::string bytesOfFile((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytesOfFile.find(text), std::string::npos); // only the enciphered form is stored

    // Without any adapter: a connect outside the (empty) list, and no crash.
    auto connect = reinterpret_cast<decltype(&ConnectDevice)>(dlsym(lib, "ConnectDevice"));
    EXPECT_EQ(connect(3), -1);
    dlclose(lib);
}
