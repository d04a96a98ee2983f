// Serves emulated HID adapters to other processes: a brixo-cli started with LD_PRELOAD of
// libemu_hid_proxy.so and BRIXO_EMU_HID_SOCKET set to socketPath() finds and drives these
// adapters through its real libtamro, while the test inspects them here.
#pragma once
#include "support/emu_adapter.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace emu {

class HidService {
public:
    HidService();  // listens on a fresh socket in the temporary directory
    ~HidService(); // stops serving; adapters stay the caller's
    HidService(const HidService &) = delete;
    HidService &operator=(const HidService &) = delete;

    // Listed in the order added; must outlive the service. Only HID adapters.
    void add(Adapter *adapter);
    const std::string &socketPath() const { return path_; }

private:
    void run();
    std::string answer(const std::string &request);

    std::string path_;
    int listener_ = -1;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<Adapter *> adapters_;
    std::vector<Adapter *> opened_; // handle = index + 1
    std::thread thread_;
};

} // namespace emu
