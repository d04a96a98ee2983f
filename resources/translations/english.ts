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
        <source>--adapter、--server 和 --sim 只能选一个</source>
        <translation>choose only one of --adapter, --server and --sim</translation>
    </message>
    <message>
        <source>选项 --top、--simulator 和 --keys-active-low 只能与 --sim 一起使用</source>
        <translation>options --top, --simulator and --keys-active-low go with --sim only</translation>
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
  test VECTORS            运行测试向量文件：每个失败行打印一行，最后一行为
                          &quot;N passed, M failed&quot;；全部通过时退出码为 0

选择实验板（只能选一个）：
  --adapter N             第 N 个调试适配器（默认 0）
  --server HOST:PORT      远程实验服务器
  --sim FILE.v ...        用 brixo-labd 仿真这些 Verilog 文件，并连接到它
    --top NAME            顶层模块
    --simulator NAME      iverilog（默认）或 verilator
    --keys-active-low     设计的按键按下时为 0

其他选项：
  --json                  list、info 和 read 以 JSON 输出
  --quiet, -q             不显示进度条和成功信息
  --junit FILE            test：写 JUnit XML 报告（每行一个测试用例）
  --panel FILE.jvp        test：使用面板的编号（绿色 LED 为 18..35），拒绝面板没有的列
  --help, -h              显示本帮助
  --version               显示版本

测试向量文件：第一行是列名，之后每行一个测试；# 开始注释；用空白或逗号分隔。
  输入列：S&lt;n&gt;、K&lt;n&gt;，或范围 S7..S4、K3..K0（先写最高位），值为数字。
          按键值 1 为按住，0 为松开，P 为在读输出之前按下再松开（一个时钟脉冲）。
  输出列：R&lt;n&gt;、G&lt;n&gt;（绿色 LED 从 0 编号），范围如 R3..R0；D&lt;n&gt;（数码管 n 显示的
          十六进制字符，- 为不亮）；CPU&lt;bits&gt;（CPU 数据的低位，十六进制）。x 表示不关心。
  每行：开关和按住的按键各写一次，然后是脉冲，再读一次输出并比较。失败行给出
  行号、列名、期望值和读到的值。

退出码：0 成功；1 测试失败；2 用法错误；3 库调用失败（按 LANG 的语言给出说明）。
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
  test VECTORS            run a test-vector file: one line per failing row, then
                          &quot;N passed, M failed&quot; as the last line; exit status 0 only when
                          every row passes

Choosing the board (one of):
  --adapter N             debug adapter N of the list (default 0)
  --server HOST:PORT      a remote-lab server
  --sim FILE.v ...        simulate these Verilog files with brixo-labd and connect to it
    --top NAME            the top module
    --simulator NAME      iverilog (default) or verilator
    --keys-active-low     the design&apos;s keys read 0 when pressed

Other options:
  --json                  JSON output for list, info and read
  --quiet, -q             no progress bar and no success message
  --junit FILE            test: write a JUnit XML report (one test case per row)
  --panel FILE.jvp        test: use the panel&apos;s numbering (green LEDs 18..35) and refuse
                          columns the panel does not have
  --help, -h              show this help
  --version               show the version

Test-vector files: the first line names the columns, then one test a line; # starts a
comment; cells are separated by blanks or commas.
  Inputs:  S&lt;n&gt;, K&lt;n&gt;, or ranges S7..S4, K3..K0 (most significant first) with a number.
           A key value 1 holds the key, 0 releases it, P presses and releases it before
           the outputs are read (a clock pulse).
  Outputs: R&lt;n&gt;, G&lt;n&gt; (green LEDs counted from 0), ranges such as R3..R0; D&lt;n&gt; (the
           hexadecimal character digit n shows, - for blank); CPU&lt;bits&gt; (the CPU data&apos;s
           low bits, hexadecimal). x means &quot;don&apos;t care&quot;.
  Each row: the switches and the held keys are written once each, then the pulses, then
  the outputs are read once and compared. A failing row names its line number, the
  column, the expected and the read value.

Exit status: 0 success; 1 a test failed; 2 usage error; 3 a library call failed (its
text in the language of LANG).
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
        <source>用仿真器运行这个设计：
%1</source>
        <translation>Run this design in the simulator:
%1</translation>
    </message>
    <message>
        <source>按键按下时为0（低电平有效）</source>
        <translation>Keys read 0 when pressed (active low)</translation>
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
</TS>
