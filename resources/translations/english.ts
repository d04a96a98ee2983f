<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>MainWindow</name>
    <message>
        <source>实验板(&amp;B)</source>
        <translation>&amp;Board</translation>
    </message>
    <message>
        <source>模式(&amp;M)</source>
        <translation>&amp;Mode</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>打开虚拟面板(&amp;O)</source>
        <translation>&amp;Open Virtual Panel</translation>
    </message>
    <message>
        <source>保存虚拟面板(&amp;S)</source>
        <translation>&amp;Save Virtual Panel</translation>
    </message>
    <message>
        <source>下载FPGA(&amp;G)</source>
        <translation>Confi&amp;gure FPGA</translation>
    </message>
    <message>
        <source>退出(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>无板仿真(&amp;S)</source>
        <translation>&amp;Simulation without board</translation>
    </message>
    <message>
        <source>虚拟面板设计(&amp;D)</source>
        <translation>Virtual Panel &amp;Design</translation>
    </message>
    <message>
        <source>Change &amp;Language to English</source>
        <translation>Change &amp;Language to 中文</translation>
    </message>
    <message>
        <source>调试适配器信息(&amp;D)</source>
        <translation>About &amp;Debug Adapter</translation>
    </message>
    <message>
        <source>片上调试器信息(&amp;O)</source>
        <translation>About &amp;On-chip Debuger</translation>
    </message>
    <message>
        <source>版本版权信息(&amp;A)</source>
        <translation>&amp;About Brixo</translation>
    </message>
    <message>
        <source>打开虚拟面板文件</source>
        <translation>Open Virtual Panel File</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>指定FPGA配置文件</source>
        <translation>Open FPGA Configration File</translation>
    </message>
    <message>
        <source>FPGA配置文件 (*.rbf)</source>
        <translation>FPGA Configration File (*.rbf)</translation>
    </message>
    <message>
        <source>信息</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>配置FPGA成功！</source>
        <translation>Configure FPGA Success!</translation>
    </message>
    <message>
        <source>无法保存虚拟面板文件：%1</source>
        <translation>Could not save the virtual panel file: %1</translation>
    </message>
    <message>
        <source>数据槽的位宽合计不能超过%1位，修改未被接受</source>
        <translation>The data slots' bit widths may add up to at most %1 bits; the change was not taken</translation>
    </message>
    <message>
        <source>无法读取背景图片：</source>
        <translation>Cannot read the background picture: </translation>
    </message>
    <message>
        <source>无法打开虚拟面板文件 %1：%2</source>
        <translation>Cannot open the virtual panel file %1: %2</translation>
    </message>
    <message>
        <source>当前的虚拟面板保持不变。</source>
        <translation>The current virtual panel is unchanged.</translation>
    </message>
    <message>
        <source>文件无法打开</source>
        <translation>the file cannot be opened</translation>
    </message>
    <message>
        <source>不是完整的 JSON 文本，文件可能已损坏或不完整</source>
        <translation>it is not complete JSON text; the file may be damaged or truncated</translation>
    </message>
    <message>
        <source>内容不是面板数据（顶层不是 JSON 对象）</source>
        <translation>its content is not panel data (the top level is not a JSON object)</translation>
    </message>
    <message>
        <source>背景图片无法解码</source>
        <translation>its background picture cannot be decoded</translation>
    </message>
    <message>
        <source>这不是虚拟面板文件（应为 .jvp、.vpl 或 .vp2 文件）</source>
        <translation>it is not a virtual panel file (.jvp, .vpl or .vp2)</translation>
    </message>
    <message>
        <source>是否保存对 %1 的更改？</source>
        <translation>Save changes to %1?</translation>
    </message>
    <message>
        <source>未命名面板</source>
        <translation>Untitled panel</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>不保存</source>
        <translation>Discard</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>DialogConnnect</name>
    <message>
        <source>连接调试适配器</source>
        <translation>Connect Debug Adapter</translation>
    </message>
    <message>
        <source>调试适配器列表：</source>
        <translation>Debug Adapter List:</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>连接</source>
        <translation>Connecting</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>ErrorMessage</name>
    <message>
        <source>注意</source>
        <translation>Attention</translation>
    </message>
    <message>
        <source>错误代码：%1</source>
        <translation>Error code: %1</translation>
    </message>
    <message>
        <source>该实验的仿真功能尚未实现。</source>
        <translation>The simulation of the experiment not yet implemented.</translation>
    </message>
    <message>
        <source>没有发现调试适配器。</source>
        <translation>No debug adapter was found.</translation>
    </message>
    <message>
        <source>出现未知的TAMRO连接错误。</source>
        <translation>An unknown TAMRO connection error occurred.</translation>
    </message>
    <message>
        <source>连接FPGA失败。</source>
        <translation>Failed to connect FPGA.</translation>
    </message>
    <message>
        <source>尚未选择调试适配器！请重新连接。</source>
        <translation>Failed to connect debug adapter! Please reconnect.</translation>
    </message>
    <message>
        <source>调试适配器收到的数据格式错误。</source>
        <translation>The data format error received by debug adapter.</translation>
    </message>
    <message>
        <source>收到的数据格式错误。</source>
        <translation>Received data format error.</translation>
    </message>
    <message>
        <source>调试适配器收到的连接数据格式错误。</source>
        <translation>The connection data format error received by debug adapter.</translation>
    </message>
    <message>
        <source>等待调试适配器返回数据超时。</source>
        <translation>Wait for the debug adapter to return the data timeout.</translation>
    </message>
    <message>
        <source>硬件不支持该功能。</source>
        <translation>The hardware does not support this feature.</translation>
    </message>
    <message>
        <source>传送FPGA配置数据出错。</source>
        <translation>Error transmitting FPGA configuration data.</translation>
    </message>
    <message>
        <source>配置FPGA失败。</source>
        <translation>Configure FPGA failure.</translation>
    </message>
    <message>
        <source>上一步运行尚未结束，请停止运行或复位后再操作。</source>
        <translation>The previous operation has not ended. Please stop or reset and try again.</translation>
    </message>
    <message>
        <source>无法打开指定的文件。</source>
        <translation>Failed to open file.</translation>
    </message>
    <message>
        <source>指定的文件不包含任何内容。</source>
        <translation>The specified file has no content.</translation>
    </message>
    <message>
        <source>发生未知错误。</source>
        <translation>An unknown error occurred.</translation>
    </message>
</context>
</TS>
