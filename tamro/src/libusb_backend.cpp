// Production bulk backend: libusb-1.0, interface 0 and its bulk endpoints.
#include "state.h"
#include "usb_backend.h"

#include <libusb.h>

#include <algorithm>
#include <cstdio>

namespace tamro {

namespace {

struct BulkDevice {
    libusb_device_handle *handle = nullptr;
    unsigned char out = 0, in = 0;
};

// "usb:BUS:PORT.PORT..." survives re-enumeration as long as the adapter stays in its socket.
std::string pathOf(libusb_device *dev)
{
    uint8_t ports[8];
    const int n = libusb_get_port_numbers(dev, ports, sizeof ports);
    char text[64];
    int used = std::snprintf(text, sizeof text, "usb:%03u:", unsigned(libusb_get_bus_number(dev)));
    for (int i = 0; i < n && used > 0 && used < int(sizeof text); ++i)
        used += std::snprintf(text + used, sizeof text - size_t(used), i ? ".%u" : "%u", unsigned(ports[i]));
    return text;
}

class LibusbBackend final : public BulkBackend {
public:
    LibusbBackend()
    {
        if (libusb_init(&context_) != 0)
            context_ = nullptr;
    }
    ~LibusbBackend() override
    {
        if (context_)
            libusb_exit(context_);
    }

    std::vector<UsbDeviceInfo> enumerate(uint16_t vendorId, uint16_t productId) override
    {
        std::vector<UsbDeviceInfo> out;
        if (!context_)
            return out;
        libusb_device **list = nullptr;
        const ssize_t count = libusb_get_device_list(context_, &list);
        for (ssize_t i = 0; i < count; ++i) {
            libusb_device_descriptor desc;
            if (libusb_get_device_descriptor(list[i], &desc) != 0 || desc.idVendor != vendorId ||
                desc.idProduct != productId)
                continue;
            UsbDeviceInfo info;
            info.path = pathOf(list[i]);
            libusb_device_handle *h = nullptr;
            if (desc.iProduct && libusb_open(list[i], &h) == 0) {
                unsigned char text[253] = {};
                const int n = libusb_get_string_descriptor_ascii(h, desc.iProduct, text, sizeof text - 1);
                if (n > 0) {
                    info.description.assign(reinterpret_cast<char *>(text), size_t(n));
                    info.descriptionReadable = true;
                }
                libusb_close(h);
            }
            out.push_back(info);
        }
        if (list)
            libusb_free_device_list(list, 1);
        return out;
    }

    void *locate(const std::string &path) override
    {
        if (!context_)
            return nullptr;
        libusb_device **list = nullptr;
        const ssize_t count = libusb_get_device_list(context_, &list);
        libusb_device *found = nullptr;
        for (ssize_t i = 0; i < count && !found; ++i)
            if (pathOf(list[i]) == path)
                found = libusb_ref_device(list[i]); // kept past the list
        if (list)
            libusb_free_device_list(list, 1);
        return found;
    }

    void release(void *location) override { libusb_unref_device(static_cast<libusb_device *>(location)); }

    void *open(void *location) override
    {
        auto *device = static_cast<libusb_device *>(location);
        libusb_device_handle *h = nullptr;
        if (!device || libusb_open(device, &h) != 0)
            return nullptr;
        libusb_set_auto_detach_kernel_driver(h, 1);
        BulkDevice dev;
        dev.handle = h;
        libusb_config_descriptor *config = nullptr;
        if (libusb_get_active_config_descriptor(device, &config) == 0) {
            if (config->bNumInterfaces > 0 && config->interface[0].num_altsetting > 0) {
                const libusb_interface_descriptor &alt = config->interface[0].altsetting[0];
                for (int e = 0; e < alt.bNumEndpoints; ++e) {
                    const libusb_endpoint_descriptor &ep = alt.endpoint[e];
                    if ((ep.bmAttributes & 3) != LIBUSB_TRANSFER_TYPE_BULK)
                        continue;
                    if (ep.bEndpointAddress & LIBUSB_ENDPOINT_IN) {
                        if (!dev.in)
                            dev.in = ep.bEndpointAddress;
                    } else if (!dev.out) {
                        dev.out = ep.bEndpointAddress;
                    }
                }
            }
            libusb_free_config_descriptor(config);
        }
        if (dev.in && dev.out && libusb_claim_interface(h, 0) == 0)
            return new BulkDevice(dev);
        libusb_close(h);
        return nullptr;
    }

    int write(void *device, const uint8_t *data, int length, int milliseconds) override
    {
        auto *dev = static_cast<BulkDevice *>(device);
        int done = 0;
        const int rc = libusb_bulk_transfer(dev->handle, dev->out, const_cast<uint8_t *>(data), length, &done,
                                            unsigned(milliseconds));
        return rc == 0 || done > 0 ? done : -1;
    }

    int read(void *device, uint8_t *data, int length, int milliseconds) override
    {
        auto *dev = static_cast<BulkDevice *>(device);
        // Read into whole packets so that a longer reply is seen as longer, not as an overflow.
        std::vector<uint8_t> buffer(size_t((length + 511) / 512 * 512));
        int done = 0;
        const int rc = libusb_bulk_transfer(dev->handle, dev->in, buffer.data(), int(buffer.size()), &done,
                                            unsigned(milliseconds));
        if (rc != 0 && rc != LIBUSB_ERROR_TIMEOUT && done == 0)
            return -1;
        const int n = done < length ? done : length;
        std::copy(buffer.begin(), buffer.begin() + n, data);
        return n;
    }

    void close(void *device) override
    {
        auto *dev = static_cast<BulkDevice *>(device);
        libusb_release_interface(dev->handle, 0);
        libusb_close(dev->handle);
        delete dev;
    }

private:
    libusb_context *context_ = nullptr;
};

} // namespace

BulkBackend &bulkBackend()
{
    State &s = state();
    if (s.bulkOverride)
        return *s.bulkOverride;
    if (!s.bulkProduction)
        s.bulkProduction = std::make_unique<LibusbBackend>();
    return *s.bulkProduction;
}

void setBulkBackend(BulkBackend *backend) { state().bulkOverride = backend; }

} // namespace tamro
