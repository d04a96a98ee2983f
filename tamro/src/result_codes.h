// The library's own short names for its result codes; clients see only the TAMRO_ names.
#pragma once
#include <tamro.h>

namespace tamro {

using ResultCode = TamroResult;

enum Code : int {
    Ok = TAMRO_OK,
    NoAdapter = TAMRO_NO_ADAPTER,
    AdapterReason4 = -2, // an error reply with reason 4; the adapter gives it no meaning
    UnknownConnectError = TAMRO_UNKNOWN_CONNECT_ERROR,
    FpgaLinkFailed = TAMRO_FPGA_LINK_FAILED,
    NoDeviceSelected = TAMRO_NO_DEVICE_SELECTED,
    AdapterBadData = TAMRO_ADAPTER_BAD_DATA,
    BadReply = TAMRO_BAD_REPLY,
    AdapterBadConnectData = TAMRO_ADAPTER_BAD_CONNECT_DATA,
    NoReply = TAMRO_NO_REPLY,
    NotSupported = TAMRO_NOT_SUPPORTED,
    FpgaDataFailed = TAMRO_FPGA_DATA_FAILED,
    FpgaConfigFailed = TAMRO_FPGA_CONFIG_FAILED,
    ReportWriteFailed = TAMRO_REPORT_WRITE_FAILED,
    SocketCreateFailed = TAMRO_SOCKET_CREATE_FAILED,
    BadServerAddress = TAMRO_BAD_SERVER_ADDRESS,
    ServerConnectFailed = TAMRO_SERVER_CONNECT_FAILED,
    RequestTooLarge = TAMRO_REQUEST_TOO_LARGE,
    SendFailed = TAMRO_SEND_FAILED,
    ServerTimeout = TAMRO_SERVER_TIMEOUT,
    RemoteConnectFailed = TAMRO_REMOTE_CONNECT_FAILED,
    ShortRemoteReply = TAMRO_SHORT_REMOTE_REPLY,
};

} // namespace tamro
