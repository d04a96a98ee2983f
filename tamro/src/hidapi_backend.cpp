// Production HID backend: hidapi (hidraw) only.
#include "hid_descriptor.h"
#include "state.h"
#include "usb_backend.h"

#include <hidapi.h>

#include <fstream>
#include <iterator>

namespace tamro {

namespace {

std::string toUtf8(const wchar_t *text)
{
    std::string out;
    for (; text && *text; ++text) {
        const uint32_t c = uint32_t(*text);
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x110000) {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

class HidapiBackend final : public HidBackend {
public:
    HidapiBackend() { hid_init(); }

    std::vector<UsbDeviceInfo> enumerate(uint16_t vendorId, uint16_t productId) override
    {
        std::vector<UsbDeviceInfo> out;
        hid_device_info *list = hid_enumerate(vendorId, productId);
        for (hid_device_info *d = list; d; d = d->next) {
            UsbDeviceInfo info;
            info.path = d->path ? d->path : "";
            info.descriptionReadable = d->product_string != nullptr;
            info.description = toUtf8(d->product_string);
            out.push_back(info);
        }
        hid_free_enumeration(list);
        return out;
    }

    void *open(const std::string &path) override { return hid_open_path(path.c_str()); }

    void reportLengths(void *, const std::string &path, int &output, int &input) override
    {
        output = input = 65;
        // hidraw paths are /dev/hidrawN; sysfs exposes the descriptor beside the node.
        const auto slash = path.rfind('/');
        const std::string node = slash == std::string::npos ? path : path.substr(slash + 1);
        if (node.rfind("hidraw", 0) != 0)
            return;
        std::ifstream f("/sys/class/hidraw/" + node + "/device/report_descriptor", std::ios::binary);
        if (!f)
            return;
        std::vector<uint8_t> d((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        const ReportLengths lengths = parseReportDescriptor(d.data(), d.size());
        if (lengths.output > 2)
            output = lengths.output;
        if (lengths.input > 1)
            input = lengths.input;
    }

    int write(void *device, const uint8_t *data, size_t length) override
    {
        return hid_write(static_cast<hid_device *>(device), data, length);
    }

    int readTimeout(void *device, uint8_t *data, size_t length, int milliseconds) override
    {
        return hid_read_timeout(static_cast<hid_device *>(device), data, length, milliseconds);
    }

    void close(void *device) override { hid_close(static_cast<hid_device *>(device)); }
};

} // namespace

HidBackend &hidBackend()
{
    State &s = state();
    if (s.hidOverride)
        return *s.hidOverride;
    if (!s.hidProduction)
        s.hidProduction = std::make_unique<HidapiBackend>();
    return *s.hidProduction;
}

void setHidBackend(HidBackend *backend) { state().hidOverride = backend; }

} // namespace tamro
