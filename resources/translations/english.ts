<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
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
    <message>
        <source>远程实验服务器（主机:端口）：</source>
        <translation>Remote lab server (host:port):</translation>
    </message>
    <message>
        <source>不用远程服务器时留空</source>
        <translation>Leave empty for no remote server</translation>
    </message>
    <message>
        <source>服务器地址应写成“主机:端口”，例如 127.0.0.1:40123。</source>
        <translation>Write the server address as host:port, e.g. 127.0.0.1:40123.</translation>
    </message>
    <message>
        <source>实验室服务器…</source>
        <translation>Lab server…</translation>
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
        <source>FPGA配置下载已取消。</source>
        <translation>The FPGA configuration download was cancelled.</translation>
    </message>
    <message>
        <source>发生未知错误。</source>
        <translation>An unknown error occurred.</translation>
    </message>
    <message>
        <source>创建套接字错误。</source>
        <translation>Failed to create a socket.</translation>
    </message>
    <message>
        <source>服务器的IP地址错误。</source>
        <translation>The server&apos;s IP address is wrong.</translation>
    </message>
    <message>
        <source>连接服务器出错，无法连接服务器。</source>
        <translation>Could not connect to the server.</translation>
    </message>
    <message>
        <source>要发送的数据太大，超过了缓冲区大小。</source>
        <translation>The data to send is larger than the buffer.</translation>
    </message>
    <message>
        <source>向服务器发送数据错误。</source>
        <translation>Failed to send data to the server.</translation>
    </message>
    <message>
        <source>等待服务器返回数据超时。</source>
        <translation>Timed out waiting for the server to reply.</translation>
    </message>
    <message>
        <source>连接Lantrovex出错。</source>
        <translation>Failed to connect to Lantrovex.</translation>
    </message>
    <message>
        <source>远程实验服务没有返回足够的数据。</source>
        <translation>The remote lab service did not return enough data.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>录制波形(&amp;R)...</source>
        <translation>&amp;Record Waveform...</translation>
    </message>
    <message>
        <source>导出时序图(&amp;T)...</source>
        <translation>Export &amp;Timing Diagram...</translation>
    </message>
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
        <translation>The data slots&apos; bit widths may add up to at most %1 bits; the change was not taken</translation>
    </message>
    <message>
        <source>无法读取背景图片：</source>
        <translation>Cannot read the background picture: </translation>
    </message>
    <message>
        <source>自动刷新剩余时间：%1s      </source>
        <translation>Auto refresh ends in %1s      </translation>
    </message>
    <message>
        <source>新建虚拟面板(&amp;N)</source>
        <translation>&amp;New Virtual Panel</translation>
    </message>
    <message>
        <source>另存为.....</source>
        <translation>Save As...</translation>
    </message>
    <message>
        <source>连接调试适配器(&amp;C)</source>
        <translation>&amp;Connect Debug Adapter</translation>
    </message>
    <message>
        <source>自动刷新(&amp;A)</source>
        <translation>&amp;Auto Refresh</translation>
    </message>
    <message>
        <source>设置虚拟面板</source>
        <translation>Virtual Panel Settings</translation>
    </message>
    <message>
        <source>添加更换背景图</source>
        <translation>Add or Change Background</translation>
    </message>
    <message>
        <source>控件信息表</source>
        <translation>Component Table</translation>
    </message>
    <message>
        <source>设计(&amp;S)</source>
        <translation>De&amp;sign</translation>
    </message>
    <message>
        <source>设计工具箱</source>
        <translation>Design Toolbox</translation>
    </message>
    <message>
        <source>  开关</source>
        <translation>  Switch </translation>
    </message>
    <message>
        <source>  按键</source>
        <translation>  Key </translation>
    </message>
    <message>
        <source>  红灯</source>
        <translation>  Red LED</translation>
    </message>
    <message>
        <source>  绿灯</source>
        <translation>  Green LED</translation>
    </message>
    <message>
        <source> 数码管</source>
        <translation> Digit </translation>
    </message>
    <message>
        <source>数据槽</source>
        <translation>Data Slot</translation>
    </message>
    <message>
        <source>注释槽</source>
        <translation>Text Label</translation>
    </message>
    <message>
        <source>数码管尺寸大小：</source>
        <translation>Digit size:</translation>
    </message>
    <message>
        <source>背景图片大小：</source>
        <translation>Background size:</translation>
    </message>
    <message>
        <source>数据槽属性</source>
        <translation>Data Slot Properties</translation>
    </message>
    <message>
        <source>位宽</source>
        <translation>Bit width</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>Index</translation>
    </message>
    <message>
        <source>无法保存语言设置：%1</source>
        <translation>Could not save the language setting: %1</translation>
    </message>
    <message>
        <source>（双击选中后右击删除）</source>
        <translation> (double-click to select, then right-click to delete)</translation>
    </message>
    <message>
        <source>按键</source>
        <translation>Key </translation>
    </message>
    <message>
        <source>开关</source>
        <translation>Switch </translation>
    </message>
    <message>
        <source>指示灯</source>
        <translation>LED </translation>
    </message>
    <message>
        <source>数码管</source>
        <translation>Digit </translation>
    </message>
    <message>
        <source>  指示灯</source>
        <translation>  LED </translation>
    </message>
    <message>
        <source>. 指示灯</source>
        <translation>. LED </translation>
    </message>
    <message>
        <source>添加一段注释</source>
        <translation>Add a comment</translation>
    </message>
    <message>
        <source>选择背景图片</source>
        <translation>Choose Background Picture</translation>
    </message>
    <message>
        <source>背景图片 (*.bmp *.jpg *.png *.gif)</source>
        <translation>Background Pictures (*.bmp *.jpg *.png *.gif)</translation>
    </message>
    <message>
        <source>新建后会清除当前界面，继续吗？</source>
        <translation>A new panel clears the current one. Continue?</translation>
    </message>
    <message>
        <source>你还没有打开或创建虚拟面板</source>
        <translation>You have not opened or created a virtual panel yet.</translation>
    </message>
    <message>
        <source>没有可以保存的虚拟面板</source>
        <translation>There is no virtual panel to save.</translation>
    </message>
    <message>
        <source>保存虚拟面板文件</source>
        <translation>Save Virtual Panel File</translation>
    </message>
    <message>
        <source>虚拟面板文件 (*.jvp)</source>
        <translation>Virtual Panel Files (*.jvp)</translation>
    </message>
    <message>
        <source>虚拟面板文件 (*.jvp);;早期虚拟面板文件 (*.vp2)</source>
        <translation>Virtual Panel Files (*.jvp);;Legacy Virtual Panel Files (*.vp2)</translation>
    </message>
    <message>
        <source>找不到背景图，请将背景图%1存放在：%2路径下后重新打开</source>
        <translation>The background picture was not found. Put the picture %1 into the folder %2 and open the panel again.</translation>
    </message>
    <message>
        <source>虚拟面板文件 (*.jvp);;早期虚拟面板文件 (*.vpl;*.vp2)</source>
        <translation>Virtual Panel Files (*.jvp);;Legacy Virtual Panel Files (*.vpl *.vp2)</translation>
    </message>
    <message>
        <source>种类</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>显示</source>
        <translation>Shown</translation>
    </message>
    <message>
        <source>X坐标</source>
        <translation>X</translation>
    </message>
    <message>
        <source>Y坐标</source>
        <translation>Y</translation>
    </message>
    <message>
        <source>排序</source>
        <translation>Number</translation>
    </message>
    <message>
        <source>长度</source>
        <translation>Length</translation>
    </message>
    <message>
        <source>宽度</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>横竖</source>
        <translation>Lying</translation>
    </message>
    <message>
        <source>控件信息</source>
        <translation>Components</translation>
    </message>
    <message>
        <source>没有打开虚拟面板，无法自动刷新</source>
        <translation>No virtual panel is open, so there is nothing to refresh.</translation>
    </message>
    <message>
        <source>仿真Verilog设计(&amp;V)...</source>
        <translation>Simulate &amp;Verilog Design...</translation>
    </message>
    <message>
        <source>重新载入设计(&amp;R)</source>
        <translation>&amp;Reload Design</translation>
    </message>
    <message>
        <source>按设计新建面板(&amp;P)</source>
        <translation>New &amp;Panel from Design</translation>
    </message>
    <message>
        <source>导出面板图片(&amp;E)...</source>
        <translation>&amp;Export Panel Picture...</translation>
    </message>
    <message>
        <source>复制面板图片(&amp;I)</source>
        <translation>Copy Panel P&amp;icture</translation>
    </message>
    <message>
        <source>导出面板图片</source>
        <translation>Export Panel Picture</translation>
    </message>
    <message>
        <source>PNG 图片 (*.png)</source>
        <translation>PNG Picture (*.png)</translation>
    </message>
    <message>
        <source>无法保存面板图片：%1</source>
        <translation>Cannot save the panel picture: %1</translation>
    </message>
    <message>
        <source>没有打开虚拟面板</source>
        <translation>No virtual panel is open</translation>
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
    <name>about</name>
    <message>
        <source>FPGA虚拟实验室软件</source>
        <translation>FPGA Virtual Lab Software</translation>
    </message>
    <message>
        <source>About Brixo</source>
        <translation>About Brixo</translation>
    </message>
</context>
<context>
    <name>cli</name>
    <message>
        <source>wave 需要一个 .vcd 文件和 --svg 或 --png</source>
        <translation>wave needs a .vcd file and --svg or --png</translation>
    </message>
    <message>
        <source>写 PNG 需要 rsvg-convert（Debian 软件包 librsvg2-bin），它没有安装</source>
        <translation>writing a PNG needs rsvg-convert (Debian package librsvg2-bin), which is not installed</translation>
    </message>
    <message>
        <source>grade 需要一个测试向量文件和至少一个学生文件夹</source>
        <translation>grade needs a vector file and at least one student folder</translation>
    </message>
    <message>
        <source>brixo-cli 被信号 %1 终止</source>
        <translation>brixo-cli was ended by signal %1</translation>
    </message>
    <message>
        <source>brixo-cli 的退出码为 %1</source>
        <translation>brixo-cli ended with exit status %1</translation>
    </message>
    <message>
        <source>未能编译：%1</source>
        <translation>did not build: %1</translation>
    </message>
    <message>
        <source>%1 秒后超时</source>
        <translation>timed out after %1 s</translation>
    </message>
    <message>
        <source>没有设计文件</source>
        <translation>no design files</translation>
    </message>
    <message>
        <source>无法评分：%1</source>
        <translation>could not be graded: %1</translation>
    </message>
    <message>
        <source>%1 名学生：%2 名全部通过，%3 名有失败的行，%4 名未能编译</source>
        <translation>%1 students: %2 passed every row, %3 failed rows, %4 did not build</translation>
    </message>
    <message>
        <source>，%1 名超时</source>
        <translation>, %1 timed out</translation>
    </message>
    <message>
        <source>，%1 名没有设计文件</source>
        <translation>, %1 had no design files</translation>
    </message>
    <message>
        <source>，%1 名无法评分</source>
        <translation>, %1 could not be graded</translation>
    </message>
    <message>
        <source>不是文件夹：%1</source>
        <translation>not a folder: %1</translation>
    </message>
    <message>
        <source>无法创建临时文件夹</source>
        <translation>cannot make a temporary folder</translation>
    </message>
    <message>
        <source>学生的设计只在沙箱中运行，这里无法建立沙箱（%1）；设计可信时加 --no-sandbox</source>
        <translation>students&apos; designs run only in a sandbox, and none can be set up here (%1); add --no-sandbox when the designs are trusted</translation>
    </message>
    <message>
        <source>%1/%2 名学生，%3 个正在运行，%4 秒</source>
        <translation>%1/%2 students, %3 running, %4 s</translation>
    </message>
    <message>
        <source>没有可读的测试报告</source>
        <translation>no readable test report</translation>
    </message>
    <message>
        <source>设计文件超过 %1 个</source>
        <translation>more than %1 design files</translation>
    </message>
    <message>
        <source>评分已中断</source>
        <translation>grading interrupted</translation>
    </message>
    <message>
        <source>找不到 brixo-labd</source>
        <translation>brixo-labd not found</translation>
    </message>
    <message>
        <source>等待 brixo-labd 就绪超时</source>
        <translation>brixo-labd was not ready in time</translation>
    </message>
    <message>
        <source>brixo-labd 未能启动仿真板（状态 %1）</source>
        <translation>brixo-labd did not start the simulated board (status %1)</translation>
    </message>
    <message>
        <source>远程实验服务器 %1 没有应答</source>
        <translation>no remote-lab server answered at %1</translation>
    </message>
    <message>
        <source>没有第 %1 个调试适配器（找到 %2 个）</source>
        <translation>no adapter %1 (%2 found)</translation>
    </message>
    <message>
        <source>调试适配器：远程实验服务器（无适配器信息）</source>
        <translation>adapter: remote-lab server (no adapter information)</translation>
    </message>
    <message>
        <source>调试适配器：固件 %1，PCB %2</source>
        <translation>adapter: firmware %1, PCB %2</translation>
    </message>
    <message>
        <source>片上调试器：版本 %1，%2</source>
        <translation>on-chip debugger: version %1, %2</translation>
    </message>
    <message>
        <source>无效的赋值：%1（应为 sw=、key=、S&lt;n&gt;= 或 K&lt;n&gt;=）</source>
        <translation>invalid assignment: %1 (expected sw=, key=, S&lt;n&gt;= or K&lt;n&gt;=)</translation>
    </message>
    <message>
        <source>无效的读取项：%1（应为 leds、digits 或 cpu=BITS）</source>
        <translation>invalid read item: %1 (expected leds, digits or cpu=BITS)</translation>
    </message>
    <message>
        <source>%1/%2 字节</source>
        <translation>%1/%2 bytes</translation>
    </message>
    <message>
        <source>剩余 %1 秒</source>
        <translation>%1 s left</translation>
    </message>
    <message>
        <source>FPGA配置完成：%1 字节</source>
        <translation>FPGA configured: %1 bytes</translation>
    </message>
    <message>
        <source>选项 %1 缺少参数</source>
        <translation>option %1 needs a value</translation>
    </message>
    <message>
        <source>无效的值：%1</source>
        <translation>invalid value: %1</translation>
    </message>
    <message>
        <source>未知的选项：%1</source>
        <translation>unknown option: %1</translation>
    </message>
    <message>
        <source>未知的命令：%1</source>
        <translation>unknown command: %1</translation>
    </message>
    <message>
        <source>缺少命令；用 --help 查看用法</source>
        <translation>no command given; see --help</translation>
    </message>
    <message>
        <source>选项 --top、--simulator、--keys-active-low、--clock-hz 和 --dump-vcd 只能与 --sim 一起使用</source>
        <translation>options --top, --simulator, --keys-active-low, --clock-hz and --dump-vcd go with --sim only</translation>
    </message>
    <message>
        <source>选项 %1 不能用于命令 %2</source>
        <translation>option %1 does not apply to %2</translation>
    </message>
    <message>
        <source>configure 需要一个 .rbf 文件</source>
        <translation>configure needs one .rbf file</translation>
    </message>
    <message>
        <source>test 需要一个测试向量文件</source>
        <translation>test needs one vector file</translation>
    </message>
    <message>
        <source>命令 %1 不带参数</source>
        <translation>%1 takes no arguments</translation>
    </message>
    <message>
        <source>set 需要至少一个赋值，例如 sw=0x0F</source>
        <translation>set needs at least one assignment, such as sw=0x0F</translation>
    </message>
    <message>
        <source>read 需要 leds、digits 或 cpu=BITS</source>
        <translation>read needs leds, digits or cpu=BITS</translation>
    </message>
    <message>
        <source>用法：brixo-cli [选项] 命令 [参数]

通过调试适配器从命令行操作实验板。

命令：
  list                    列出连接的调试适配器，每行一个：序号 名称
  info                    显示调试适配器和片上调试器的信息
  configure FILE.rbf      下载FPGA配置；终端上显示进度条，Ctrl+C 取消
  set 赋值...             写开关和按键寄存器（先打开面板输入）。赋值：
                            sw=VALUE  全部开关，第 i 位为开关 i
                            key=VALUE 全部按键，1 为按下
                            S&lt;n&gt;=0|1  开关 n；K&lt;n&gt;=0|1 按键 n
                          VALUE 可写作 0x…、0b… 或十进制。未提到的开关为 0，按键为松开。
  read 项...              读出并显示：leds（36 位值及红、绿 LED）、
                          digits（8 个段码字节及显示的十六进制字符，? 为非数字，- 为不亮）、
                          cpu=BITS（CPU 数据的低 BITS 位，十六进制）
  test VECTORS            运行测试向量文件：每个失败或出错的行打印一行，最后一行总是
                          &quot;N passed, M failed, E errors&quot;（没有出错的行时不写
                          &quot;, E errors&quot;）；全部通过时退出码为 0
    --vcd FILE            把运行记录为波形文件（VCD，可用 GTKWave 打开）：输入、读回的
                          输出和每行的行号（&quot;$comment line N $end&quot;，在该行读输出的时刻）
  wave FILE.vcd           把波形文件画成时序图：总线为两次变化之间的十六进制值，单个位
                          为线，下方为时间轴；黑白打印也清楚
    --svg OUT.svg         写 SVG
    --png OUT.png         写 PNG（用 rsvg-convert 画出 SVG）
    --signals LIST        要画的信号，用逗号分隔，可取一部分，例如
                          sw[3:0],key[0],ledr[4:0],hex0（默认：全部）
  login URL [USER]        登录实验室服务器：从标准输入读取用户名（没有给出时）和密码，
                          各一行（终端上不回显），令牌保存在用户的配置目录中（只有本人可读）
    --print-token         把令牌打印到标准输出，不保存
  logout [URL]            注销并删除保存的令牌（URL 默认为 --lab 的值）
  grade VECTORS DIR...    在仿真中给全班评分：每个文件夹是一名学生的设计（其中的 .v 和 .sv
                          文件），像 --sim 加 test 那样测试，同时测试 N 名；每名学生一行，
                          最后是汇总。也接受 --top、--simulator、--keys-active-low、
                          --clock-hz、--panel 和 --junit（一个文件，每名学生一个测试套件）
    -j N                  同时测试 N 名学生（默认：处理器核数）
    --csv FILE            写 CSV 报告：每名学生一行
    --timeout SECONDS     一名学生的整个运行最多的秒数（默认 120）
    --no-sandbox          设计可信时不用沙箱运行（否则无法建立沙箱时拒绝评分）

选择实验板（只能选一个）：
  --adapter N             第 N 个调试适配器（默认 0）
  --server HOST:PORT      远程实验服务器
  --sim FILE.v ...        用 brixo-labd 仿真这些 Verilog 文件，并连接到它
    --top NAME            顶层模块
    --simulator NAME      iverilog（默认）或 verilator
    --keys-active-low     设计的按键按下时为 0（常见实验板的按键都是这样）
    --clock-hz HZ         自由运行时钟的频率（默认 1000）
    --dump-vcd FILE       仿真器把设计自己的全部信号（也有内部的）写入 FILE（VCD 波形）
  --lab URL               实验室服务器（http[s]://主机:端口）：set、read、configure 和 test
                          在队列中等待一块实验板（在标准错误上显示排队位置），用完归还
                          （Ctrl+C 时也归还）；list 列出实验室的实验板。令牌来自
                          BRIXO_LAB_TOKEN 或 login
    --kind KIND           要排队的实验板种类（实验室只有一种时可省略）
    --wait SECONDS        在队列中最多等待的秒数（默认 3600）

其他选项：
  --json                  list、info 和 read 以 JSON 输出
  --quiet, -q             不显示进度条和成功信息
  --junit FILE            test：写 JUnit XML 报告（每行一个测试用例）
  --name NAME             test：JUnit 测试套件的名称；用例的类名为 NAME.向量文件名
                          （默认：仿真时为顶层模块名加向量文件名）
  --panel FILE.jvp        test：使用面板的编号（绿色 LED 为 18..35），拒绝面板没有的列
  --help, -h              显示本帮助
  --version               显示版本

测试向量文件：第一行是列名，之后每行一个测试；# 开始注释；用空白或逗号分隔。
  输入列：S&lt;n&gt;、K&lt;n&gt;，或范围 S7..S4、K3..K0（先写最高位），值为数字。
          按键值 1 为按住，0 为松开，P 为在读输出之前按下再松开（一个时钟脉冲），
          P*N 为按下再松开 N 次。
  控制列：CYCLES（仿真时：写入输入后、读输出前运行的时钟周期数；有这一列时仿真的
          时间只按它前进，结果可重现；实验板上不能用），WAIT_MS（读输出前等待的毫秒数）。
  输出列：R&lt;n&gt;、G&lt;n&gt;（绿色 LED 从 0 编号），范围如 R3..R0；D&lt;n&gt;（数码管 n 显示的
          十六进制字符，- 为不亮）；CPU&lt;bits&gt;（CPU 数据的低位，十六进制）。x 表示不关心。
  每行：开关和按住的按键各写一次，然后是脉冲，再读一次输出并比较。失败行给出
  行号、列名、期望值和读到的值。出错的行（例如设计没有稳定下来）给出行号和原因，
  仿真的设计随后从复位重新开始。

退出码：0 成功；1 测试失败（有失败或出错的行）；2 用法错误；3 工具、其安装或与实验板
的连接出错（按 LANG 的语言给出说明）；4 仿真的设计未能编译或启动（编译错误、端口问题、
在第一行之前结束或没有稳定下来）。
</source>
        <translation>Usage: brixo-cli [options] command [arguments]

Drives a lab board through its debug adapter from the command line.

Commands:
  list                    list the attached debug adapters, one a line: index name
  info                    show the debug adapter&apos;s and the on-chip debugger&apos;s information
  configure FILE.rbf      download an FPGA configuration; a progress bar on a terminal,
                          Ctrl+C cancels
  set ASSIGNMENT...       write the switch and key registers (panel input is switched on
                          first). Assignments:
                            sw=VALUE  all switches, bit i is switch i
                            key=VALUE all keys, 1 = pressed
                            S&lt;n&gt;=0|1  switch n; K&lt;n&gt;=0|1 key n
                          VALUE as in C: 0x..., 0b... or decimal. Switches not named are 0,
                          keys not named are released.
  read ITEM...            read and print: leds (the 36-bit value, red and green LEDs),
                          digits (the eight pattern bytes and the hexadecimal character each
                          shows, ? for no digit, - for none lit),
                          cpu=BITS (the low BITS bits of the CPU data, hexadecimal)
  test VECTORS            run a test-vector file: one line per failing row or row in
                          error, then always &quot;N passed, M failed, E errors&quot; as the last
                          line (&quot;, E errors&quot; only when a row could not run); exit status 0
                          only when every row passes
    --vcd FILE            record the run as a waveform (VCD, opens in GTKWave): the inputs,
                          the outputs read back and each row&apos;s line number
                          (&quot;$comment line N $end&quot;, at the time the row reads its outputs)
  wave FILE.vcd           draw a waveform as a timing diagram: buses as hexadecimal values
                          between their changes, single bits as lines, time on the axis
                          below; clear when printed in black and white
    --svg OUT.svg         write SVG
    --png OUT.png         write PNG (the SVG drawn by rsvg-convert)
    --signals LIST        the signals to draw, separated by commas, parts allowed, e.g.
                          sw[3:0],key[0],ledr[4:0],hex0 (default: all)
  login URL [USER]        sign in to a lab server: the user (unless given) and the password
                          are read from standard input, one line each (not shown on a
                          terminal); the token is saved in the user&apos;s config directory,
                          readable by the user alone
    --print-token         print the token on standard output instead of saving it
  logout [URL]            sign out and forget the saved token (URL: the one of --lab)
  grade VECTORS DIR...    grade a class in simulation: each folder is one student&apos;s design
                          (its .v and .sv files), tested as with --sim and test, N at a
                          time; one line per student, then a summary. Also takes --top,
                          --simulator, --keys-active-low, --clock-hz, --panel and --junit
                          (one file, a test suite per student)
    -j N                  test N students at a time (default: the number of cores)
    --csv FILE            write a CSV report, one row per student
    --timeout SECONDS     a student&apos;s whole run at most (default 120)
    --no-sandbox          run trusted designs without the sandbox (else grading is refused
                          where the sandbox cannot be set up)

Choosing the board (one of):
  --adapter N             debug adapter N of the list (default 0)
  --server HOST:PORT      a remote-lab server
  --sim FILE.v ...        simulate these Verilog files with brixo-labd and connect to it
    --top NAME            the top module
    --simulator NAME      iverilog (default) or verilator
    --keys-active-low     the design&apos;s keys read 0 when pressed (as on the common lab
                          boards)
    --clock-hz HZ         the free-running clock&apos;s rate (default 1000)
    --dump-vcd FILE       the design&apos;s own signals (internal ones too) into FILE as a VCD
  --lab URL               a lab server (http[s]://HOST:PORT): set, read, configure and test
                          wait in its queue for a board (the place in the queue on standard
                          error) and give it back at the end (on Ctrl+C too); list lists the
                          lab&apos;s boards. The token comes from BRIXO_LAB_TOKEN or login
    --kind KIND           the kind of board to queue for (may be left out when the lab has
                          one kind)
    --wait SECONDS        the longest wait in the queue (default 3600)

Other options:
  --json                  JSON output for list, info and read
  --quiet, -q             no progress bar and no success message
  --junit FILE            test: write a JUnit XML report (one test case per row)
  --name NAME             test: the JUnit suite&apos;s name; each case&apos;s class name is
                          NAME.VECTORFILE (default with --sim: the top module and the
                          vector file)
  --panel FILE.jvp        test: use the panel&apos;s numbering (green LEDs 18..35) and refuse
                          columns the panel does not have
  --help, -h              show this help
  --version               show the version

Test-vector files: the first line names the columns, then one test a line; # starts a
comment; cells are separated by blanks or commas.
  Inputs:  S&lt;n&gt;, K&lt;n&gt;, or ranges S7..S4, K3..K0 (most significant first) with a number.
           A key value 1 holds the key, 0 releases it, P presses and releases it before
           the outputs are read (a clock pulse), P*N does so N times.
  Control: CYCLES (with --sim: clock cycles run after the inputs are written and before
           the outputs are read; with this column the design&apos;s time advances only as it
           says, so runs are reproducible; refused on a board), WAIT_MS (milliseconds to
           wait before the outputs are read).
  Outputs: R&lt;n&gt;, G&lt;n&gt; (green LEDs counted from 0), ranges such as R3..R0; D&lt;n&gt; (the
           hexadecimal character digit n shows, - for blank); CPU&lt;bits&gt; (the CPU data&apos;s
           low bits, hexadecimal). x means &quot;don&apos;t care&quot;.
  Each row: the switches and the held keys are written once each, then the pulses, then
  the outputs are read once and compared. A failing row names its line number, the
  column, the expected and the read value. A row in error (a design that did not
  settle, ...) names its line and why; a simulated design then starts again from reset.

Exit status: 0 success; 1 a test failed (a row failed or could not run); 2 usage error;
3 a fault of the tool, its installation or the board link (its text in the language of
LANG); 4 the simulated design did not build or start (a compile error, port problems, it
ended or did not settle before the first row).
</translation>
    </message>
    <message>
        <source>没有列名行</source>
        <translation>no column names</translation>
    </message>
    <message>
        <source>没有测试行</source>
        <translation>no test rows</translation>
    </message>
    <message>
        <source>未知的列名：%1</source>
        <translation>unknown column: %1</translation>
    </message>
    <message>
        <source>列 %1 与前面的列重复</source>
        <translation>column %1 repeats an earlier column</translation>
    </message>
    <message>
        <source>本行有 %1 个值，应为 %2 个</source>
        <translation>%1 cells, the header has %2</translation>
    </message>
    <message>
        <source>列 %1 的值无效：%2</source>
        <translation>invalid value for %1: %2</translation>
    </message>
    <message>
        <source>面板上没有 %1</source>
        <translation>the panel has no %1</translation>
    </message>
    <message>
        <source>文件太大</source>
        <translation>the file is too large</translation>
    </message>
    <message>
        <source>无法读取文件 %1</source>
        <translation>cannot read %1</translation>
    </message>
    <message>
        <source>无法读取面板文件 %1</source>
        <translation>cannot read the panel file %1</translation>
    </message>
    <message>
        <source>无法写入 %1</source>
        <translation>cannot write %1</translation>
    </message>
    <message>
        <source>仿真的设计未能编译或启动</source>
        <translation>the simulated design did not build or start</translation>
    </message>
    <message>
        <source>列 CYCLES 只能用于仿真的设计（--sim）：实验板的时钟自己运行</source>
        <translation>the column CYCLES needs a simulated design (--sim): a board&apos;s clock runs on its own</translation>
    </message>
    <message>
        <source>--adapter、--server、--sim 和 --lab 只能选一个</source>
        <translation>only one of --adapter, --server, --sim and --lab</translation>
    </message>
    <message>
        <source>选项 --kind 只能与 --lab 一起使用</source>
        <translation>--kind goes only with --lab</translation>
    </message>
    <message>
        <source>login 需要实验室服务器的地址 URL [用户名]</source>
        <translation>login needs the lab server&apos;s address: URL [USER]</translation>
    </message>
    <message>
        <source>logout 需要实验室服务器的地址 URL</source>
        <translation>logout needs the lab server&apos;s address URL</translation>
    </message>
    <message>
        <source>实验室服务器 %1：%2</source>
        <translation>lab server %1: %2</translation>
    </message>
    <message>
        <source>实验室服务器 %1 拒绝了请求：%2（HTTP %3）</source>
        <translation>lab server %1 refused: %2 (HTTP %3)</translation>
    </message>
    <message>
        <source>没有登录 %1：先运行 brixo-cli login %1 或设置 BRIXO_LAB_TOKEN</source>
        <translation>not signed in to lab server %1: run brixo-cli login %1 first, or set BRIXO_LAB_TOKEN</translation>
    </message>
    <message>
        <source>用户名：</source>
        <translation>User: </translation>
    </message>
    <message>
        <source>密码：</source>
        <translation>Password: </translation>
    </message>
    <message>
        <source>login 从标准输入读取用户名和密码，各一行</source>
        <translation>login reads the user and the password from standard input, one line each</translation>
    </message>
    <message>
        <source>无法保存令牌：%1</source>
        <translation>cannot save the token: %1</translation>
    </message>
    <message>
        <source>已作为 %1（%2）登录 %3，%4 小时内有效</source>
        <translation>signed in to %3 as %1 (%2), valid for %4 hours</translation>
    </message>
    <message>
        <source>已中断；实验板已归还</source>
        <translation>interrupted; the board was given back</translation>
    </message>
    <message>
        <source>实验室服务器 %1 没有实验板</source>
        <translation>lab server %1 has no boards</translation>
    </message>
    <message>
        <source>用 --kind 选择实验板的种类：%1</source>
        <translation>choose the kind of board with --kind: %1</translation>
    </message>
    <message>
        <source>等待种类为 %1 的实验板：队列中第 %2 位</source>
        <translation>waiting for a board of kind %1: place %2 in the queue</translation>
    </message>
    <message>
        <source>在队列中等待了 %1 秒，没有等到实验板</source>
        <translation>waited %1 seconds in the queue without getting a board</translation>
    </message>
</context>
<context>
    <name>pannelSetting</name>
    <message>
        <source>面板属性设置</source>
        <translation>Panel Properties</translation>
    </message>
    <message>
        <source>请输入实验板名称</source>
        <translation>Enter the board&apos;s name</translation>
    </message>
    <message>
        <source>仿真标识，普通用户请勿修改</source>
        <translation>Simulation identifier; please leave it unchanged</translation>
    </message>
    <message>
        <source>名称：</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>标识：</source>
        <translation>Identifier:</translation>
    </message>
    <message>
        <source>控件信息设置</source>
        <translation>Components</translation>
    </message>
    <message>
        <source>开关数量：</source>
        <translation>Switches:</translation>
    </message>
    <message>
        <source>按键数量：</source>
        <translation>Keys:</translation>
    </message>
    <message>
        <source>红灯数量：</source>
        <translation>Red LEDs:</translation>
    </message>
    <message>
        <source>绿灯数量：</source>
        <translation>Green LEDs:</translation>
    </message>
    <message>
        <source>数码管数量：</source>
        <translation>Digits:</translation>
    </message>
    <message>
        <source>虚拟面板设置</source>
        <translation>Virtual Panel</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>DesignServer</name>
    <message>
        <source>仿真服务器在%1秒内没有准备好。</source>
        <translation>The simulation server was not ready within %1 seconds.</translation>
    </message>
    <message>
        <source>无法启动仿真服务器 %1：%2</source>
        <translation>Cannot start the simulation server %1: %2</translation>
    </message>
    <message>
        <source>仿真服务器的输出无法识别。</source>
        <translation>The simulation server's output was not understood.</translation>
    </message>
    <message>
        <source>设计无法仿真，仿真器报告了以下问题：</source>
        <translation>The design cannot be simulated. The simulator reported:</translation>
    </message>
    <message>
        <source>仿真服务器意外结束（状态%1）。</source>
        <translation>The simulation server ended unexpectedly (status %1).</translation>
    </message>
</context>
<context>
    <name>Recording</name>
    <message>
        <source>录制波形</source>
        <translation>Record Waveform</translation>
    </message>
    <message>
        <source>波形文件 (*.vcd)</source>
        <translation>Waveform files (*.vcd)</translation>
    </message>
    <message>
        <source>无法录制到 %1：%2</source>
        <translation>Cannot record to %1: %2</translation>
    </message>
    <message>
        <source>无法写入 %1：%2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>● 正在录制 %1</source>
        <translation>● Recording %1</translation>
    </message>
    <message>
        <source>波形已写入 %1</source>
        <translation>Waveform written to %1</translation>
    </message>
    <message>
        <source>无法写入 %1</source>
        <translation>Cannot write %1</translation>
    </message>
    <message>
        <source>导出时序图</source>
        <translation>Export Timing Diagram</translation>
    </message>
    <message>
        <source>SVG 图 (*.svg);;PNG 图 (*.png)</source>
        <translation>SVG pictures (*.svg);;PNG pictures (*.png)</translation>
    </message>
</context>
<context>
    <name>SimulatedBoard</name>
    <message>
        <source>仿真Verilog设计</source>
        <translation>Simulate Verilog Design</translation>
    </message>
    <message>
        <source>Verilog设计文件 (*.v *.sv)</source>
        <translation>Verilog design files (*.v *.sv)</translation>
    </message>
    <message>
        <source>正在编译设计 %1 …</source>
        <translation>Compiling design %1 …</translation>
    </message>
    <message>
        <source>仿真服务器没有应答。</source>
        <translation>The simulation server does not answer.</translation>
    </message>
    <message>
        <source>正在仿真设计 %1（%2:%3）</source>
        <translation>Simulating design %1 (%2:%3)</translation>
    </message>
    <message>
        <source>没有打开的虚拟面板。按设计的端口新建一个面板吗？</source>
        <translation>No virtual panel is open. Build a new panel from the design's ports?</translation>
    </message>
    <message>
        <source>仿真服务器已经结束。</source>
        <translation>The simulation server has ended.</translation>
    </message>
    <message>
        <source>按设计新建面板会清除当前面板，继续吗？</source>
        <translation>A new panel from the design replaces the current panel. Continue?</translation>
    </message>
    <message>
        <source>无法连接仿真服务器（错误%1）。</source>
        <translation>Cannot connect to the simulation server (error %1).</translation>
    </message>
    <message>
        <source>设计 %1 没有载入，仍在仿真之前的设计 %2。</source>
        <translation>Design %1 was not loaded; still simulating the previous design %2.</translation>
    </message>
    <message>
        <source>设计还在编译，完成后才能使用。</source>
        <translation>The design is still compiling; it can be used once it is done.</translation>
    </message>
    <message>
        <source>没有载入设计：请用“仿真Verilog设计”或“重新载入设计”载入一个设计。</source>
        <translation>No design is loaded: load one with "Simulate Verilog Design" or "Reload Design".</translation>
    </message>
    <message>
        <source>没有载入设计</source>
        <translation>No design loaded</translation>
    </message>
</context>
<context>
    <name>SimulateDialog</name>
    <message>
        <source>仿真Verilog设计</source>
        <translation>Simulate Verilog Design</translation>
    </message>
    <message>
        <source>用仿真器运行这个设计：
%1</source>
        <translation>Run this design in the simulator:
%1</translation>
    </message>
    <message>
        <source>（由仿真服务器决定）</source>
        <translation>(chosen by the simulation server)</translation>
    </message>
    <message>
        <source>顶层模块：</source>
        <translation>Top module:</translation>
    </message>
    <message>
        <source>无法从文件中列出顶层模块：%1</source>
        <translation>The top modules cannot be listed from the files: %1</translation>
    </message>
    <message>
        <source>仿真器：</source>
        <translation>Simulator:</translation>
    </message>
    <message>
        <source>设计的时钟端口（clk、clock或clock_开头，如CLOCK_50）在仿真时间里的频率</source>
        <translation>The rate of the design's clock port (clk, clock or a name starting with clock_, such as CLOCK_50) in simulated time</translation>
    </message>
    <message>
        <source>时钟频率：</source>
        <translation>Clock rate:</translation>
    </message>
    <message>
        <source>按键按下时为0（低电平有效）</source>
        <translation>Keys read 0 when pressed (active low)</translation>
    </message>
    <message>
        <source>没有安装仿真器：请安装Icarus Verilog（iverilog）或Verilator。</source>
        <translation>No simulator is installed: install Icarus Verilog (iverilog) or Verilator.</translation>
    </message>
</context>
<context>
    <name>PanelKeys</name>
    <message>
        <source>键盘按键</source>
        <translation>Keyboard Key</translation>
    </message>
    <message>
        <source>按下一个键</source>
        <translation>Press a key</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>单击开关或按键</source>
        <translation>Click a switch or key</translation>
    </message>
    <message>
        <source>（键盘 %1）</source>
        <translation> (keyboard %1)</translation>
    </message>
</context>
<context>
    <name>LabConnection</name>
    <message>
        <source>服务器拒绝了请求：%1（HTTP %2）</source>
        <translation>The server refused: %1 (HTTP %2)</translation>
    </message>
    <message>
        <source>服务器没有应答：%1</source>
        <translation>The server did not answer: %1</translation>
    </message>
    <message>
        <source>剩余时间 %1:%2</source>
        <translation>Time left %1:%2</translation>
    </message>
    <message>
        <source>地址应写成 http://主机:端口</source>
        <translation>Write the address as http://host:port</translation>
    </message>
    <message>
        <source>实验板的使用时间已结束</source>
        <translation>The hold on the board has ended</translation>
    </message>
    <message>
        <source>已不在队列中</source>
        <translation>No longer in the queue</translation>
    </message>
    <message>
        <source>已连接实验室服务器的实验板 %1</source>
        <translation>Connected to the lab server&apos;s board %1</translation>
    </message>
</context>
<context>
    <name>LabServerDialog</name>
    <message>
        <source>实验室服务器</source>
        <translation>Lab Server</translation>
    </message>
    <message>
        <source>地址：</source>
        <translation>Address:</translation>
    </message>
    <message>
        <source>用户名：</source>
        <translation>User:</translation>
    </message>
    <message>
        <source>密码：</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>实验板种类：</source>
        <translation>Kind of board:</translation>
    </message>
    <message>
        <source>登录</source>
        <translation>Sign in</translation>
    </message>
    <message>
        <source>排队</source>
        <translation>Queue</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>排队中：第 %1 位</source>
        <translation>In the queue: place %1</translation>
    </message>
    <message>
        <source>正在登录…</source>
        <translation>Signing in…</translation>
    </message>
    <message>
        <source>实验室没有实验板</source>
        <translation>The lab has no boards</translation>
    </message>
    <message>
        <source>选择实验板种类，然后排队</source>
        <translation>Choose the kind of board, then queue</translation>
    </message>
    <message>
        <source>正在排队…</source>
        <translation>Queueing…</translation>
    </message>
</context>
<context>
    <name>BoardWorker</name>
    <message>
        <source>下载进度</source>
        <translation>Download Progress</translation>
    </message>
</context>
</TS>
