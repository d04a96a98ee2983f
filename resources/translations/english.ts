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
</TS>
