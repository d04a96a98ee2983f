// The thin layer under the transports: the few hidapi and libusb calls tamro makes, behind
// an interface so that tests can put an emulated adapter in their place. Everything above
// this layer (chunking, handshakes, reply checks) is the same code in both cases.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tamro {

struct UsbDeviceInfo {
    std::string path;        // names the device for reopening
    std::string description; // product string, UTF-8
    bool descriptionReadable = false;
};

class HidBackend {
public:
    virtual ~HidBackend() = default;
    virtual std::vector<UsbDeviceInfo> enumerate(uint16_t vendorId, uint16_t productId) = 0;
    virtual void *open(const std::string &path) = 0; // null on failure
    // Output and input report lengths including the report-ID byte; 65/65 when unknown.
    virtual void reportLengths(void *device, const std::string &path, int &output, int &input) = 0;
    virtual int write(void *device, const uint8_t *data, size_t length) = 0;
    virtual int readTimeout(void *device, uint8_t *data, size_t length, int milliseconds) = 0;
    virtual void close(void *device) = 0;
};

class BulkBackend {
public:
    virtual ~BulkBackend() = default;
    virtual std::vector<UsbDeviceInfo> enumerate(uint16_t vendorId, uint16_t productId) = 0;
    // Finds the device at `path` on the bus (an enumeration); null when it is not there. The
    // location stays valid until released, so opening it again needs no enumeration.
    virtual void *locate(const std::string &path) = 0;
    virtual void release(void *location) = 0;
    virtual void *open(void *location) = 0; // null on failure
    // Bytes transferred, or a negative value on failure; a read that times out returns 0.
    virtual int write(void *device, const uint8_t *data, int length, int milliseconds) = 0;
    virtual int read(void *device, uint8_t *data, int length, int milliseconds) = 0;
    virtual void close(void *device) = 0;
};

HidBackend &hidBackend();
BulkBackend &bulkBackend();
// Null restores the hidapi / libusb implementation.
void setHidBackend(HidBackend *backend);
void setBulkBackend(BulkBackend *backend);

} // namespace tamro
