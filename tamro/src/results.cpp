// Result codes and the optional message boxes that report them.
#include "results.h"

#include "state.h"

#include "hostui.h"

#include "result_codes.h"

#include <cstdio>

namespace tamro {

const char *resultText(int code)
{
    switch (code) {
    case NoAdapter: return "没有发现调试适配器/服务器！";
    case UnknownConnectError: return "出现未知的TAMRO连接错误！";
    case FpgaLinkFailed: return "连接FPGA失败！";
    case NoDeviceSelected: return "尚未选择调试适配器！请重新连接。";
    case AdapterBadData: return "调试适配器收到的数据格式错误！";
    case BadReply: return "收到的数据格式错误！";
    case AdapterBadConnectData: return "调试适配器收到的连接数据格式错误！";
    case NoReply: return "调试适配器未返回数据！";
    case NotSupported: return "硬件不支持该功能！";
    case FpgaDataFailed: return "传送FPGA配置数据出错！";
    case FpgaConfigFailed: return "配置FPAG失败！";
    case SocketCreateFailed: return "创建套接字错误！";
    case BadServerAddress: return "服务器的IP地址错误！";
    case ServerConnectFailed: return "连接服务器出错，无法连接服务器！";
    case RequestTooLarge: return "要发送的数据太大，超过了缓冲区大小！";
    case SendFailed: return "向服务器发送数据错误！";
    case ServerTimeout: return "等待服务器返回数据超时！";
    case RemoteConnectFailed: return "连接Lantrovex出错！";
    case ShortRemoteReply: return "远程实验服务没有返回足够的数据！";
    default: return nullptr;
    }
}

int reportResult(int code)
{
    if (state().suppressed)
        return code;
    const char *text = resultText(code);
    if (!text)
        return code;
    char caption[64];
    std::snprintf(caption, sizeof caption, "错误代码：%d", code);
    hostui::showMessage(state().ownerWindow, text, caption);
    return code;
}

} // namespace tamro

extern "C" {

TAMRO_API int EnableMessageShow(int enable)
{
    tamro::State &s = tamro::state();
    s.suppressed = (enable & 0xFF) == 0 ? 1 : 0;
    return s.suppressed;
}

TAMRO_API int SetLocalLanguage(int value)
{
    tamro::state().language = value != 0 ? 1 : 0;
    return tamro::state().language;
}

TAMRO_API void *SetMainWindow(void *window)
{
    tamro::state().ownerWindow = window;
    return window;
}

} // extern "C"
