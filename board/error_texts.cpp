#include "error_texts.h"

#include <QtGlobal>

#include <vestrix.h>

namespace board {

const char *const kErrorTitle = QT_TRANSLATE_NOOP("ErrorMessage", "注意");
const char *const kErrorCodeLine = QT_TRANSLATE_NOOP("ErrorMessage", "错误代码：%1");

namespace {

struct Entry {
    int code;
    const char *text;
};

const Entry kTexts[] = {
    {1, QT_TRANSLATE_NOOP("ErrorMessage", "该实验的仿真功能尚未实现。")},
    {VESTRIX_NO_ADAPTER, QT_TRANSLATE_NOOP("ErrorMessage", "没有发现调试适配器。")},
    {VESTRIX_UNKNOWN_CONNECT_ERROR, QT_TRANSLATE_NOOP("ErrorMessage", "出现未知的TAMRO连接错误。")},
    {VESTRIX_FPGA_LINK_FAILED, QT_TRANSLATE_NOOP("ErrorMessage", "连接FPGA失败。")},
    {VESTRIX_NO_DEVICE_SELECTED, QT_TRANSLATE_NOOP("ErrorMessage", "尚未选择调试适配器！请重新连接。")},
    {VESTRIX_ADAPTER_BAD_DATA, QT_TRANSLATE_NOOP("ErrorMessage", "调试适配器收到的数据格式错误。")},
    {VESTRIX_BAD_REPLY, QT_TRANSLATE_NOOP("ErrorMessage", "收到的数据格式错误。")},
    {VESTRIX_ADAPTER_BAD_CONNECT_DATA, QT_TRANSLATE_NOOP("ErrorMessage", "调试适配器收到的连接数据格式错误。")},
    {VESTRIX_NO_REPLY, QT_TRANSLATE_NOOP("ErrorMessage", "等待调试适配器返回数据超时。")},
    {VESTRIX_NOT_SUPPORTED, QT_TRANSLATE_NOOP("ErrorMessage", "硬件不支持该功能。")},
    {VESTRIX_FPGA_DATA_FAILED, QT_TRANSLATE_NOOP("ErrorMessage", "传送FPGA配置数据出错。")},
    {VESTRIX_FPGA_CONFIG_FAILED, QT_TRANSLATE_NOOP("ErrorMessage", "配置FPGA失败。")},
    {VESTRIX_SOCKET_CREATE_FAILED, QT_TRANSLATE_NOOP("ErrorMessage", "创建套接字错误。")},
    {VESTRIX_BAD_SERVER_ADDRESS, QT_TRANSLATE_NOOP("ErrorMessage", "服务器的IP地址错误。")},
    {VESTRIX_SERVER_CONNECT_FAILED, QT_TRANSLATE_NOOP("ErrorMessage", "连接服务器出错，无法连接服务器。")},
    {VESTRIX_REQUEST_TOO_LARGE, QT_TRANSLATE_NOOP("ErrorMessage", "要发送的数据太大，超过了缓冲区大小。")},
    {VESTRIX_SEND_FAILED, QT_TRANSLATE_NOOP("ErrorMessage", "向服务器发送数据错误。")},
    {VESTRIX_SERVER_TIMEOUT, QT_TRANSLATE_NOOP("ErrorMessage", "等待服务器返回数据超时。")},
    {VESTRIX_REMOTE_CONNECT_FAILED, QT_TRANSLATE_NOOP("ErrorMessage", "连接Lantrovex出错。")},
    {VESTRIX_SHORT_REMOTE_REPLY, QT_TRANSLATE_NOOP("ErrorMessage", "远程实验服务没有返回足够的数据。")},
    {VESTRIX_PREVIOUS_STEP_RUNNING,
     QT_TRANSLATE_NOOP("ErrorMessage", "上一步运行尚未结束，请停止运行或复位后再操作。")},
    {VESTRIX_FILE_OPEN_FAILED, QT_TRANSLATE_NOOP("ErrorMessage", "无法打开指定的文件。")},
    {VESTRIX_FILE_EMPTY, QT_TRANSLATE_NOOP("ErrorMessage", "指定的文件不包含任何内容。")},
    {VESTRIX_DOWNLOAD_CANCELLED, QT_TRANSLATE_NOOP("ErrorMessage", "FPGA配置下载已取消。")},
};

const char *const kUnknown = QT_TRANSLATE_NOOP("ErrorMessage", "发生未知错误。");

} // namespace

const char *errorSourceText(int code)
{
    if (code == 0)
        return nullptr;
    for (const Entry &e : kTexts) {
        if (e.code == code)
            return e.text;
    }
    return kUnknown;
}

} // namespace board
