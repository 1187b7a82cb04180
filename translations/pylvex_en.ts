<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AboutDialog</name>
    <message>
        <source>关于 Pylvex</source>
        <translation>About Pylvex</translation>
    </message>
    <message>
        <source>日志、定时保存的记录和崩溃文件保存在：
%1

设置保存在：
%2</source>
        <translation>Logs, timed recordings and crash files are kept in:
%1

Settings are kept in:
%2</translation>
    </message>
    <message>
        <source>打开文件夹</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>无法打开文件夹 %1</source>
        <translation>Cannot open the folder %1</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
</context>
<context>
    <name>AlarmProtectionPage</name>
    <message>
        <source>报警与保护</source>
        <translation>Alarms and protection</translation>
    </message>
</context>
<context>
    <name>BatteryLog</name>
    <message>
        <source>休眠唤醒</source>
        <translation>Sleep/wake-up</translation>
    </message>
    <message>
        <source>常规日志</source>
        <translation>General log</translation>
    </message>
    <message>
        <source>告警日志</source>
        <translation>Alarm log</translation>
    </message>
    <message>
        <source>保护日志</source>
        <translation>Protection log</translation>
    </message>
    <message>
        <source>单节过充报警</source>
        <translation>Cell over-voltage alarm</translation>
    </message>
    <message>
        <source>单节过放报警</source>
        <translation>Cell under-voltage alarm</translation>
    </message>
    <message>
        <source>总电压过充报警</source>
        <translation>Pack over-voltage alarm</translation>
    </message>
    <message>
        <source>总电压过放报警</source>
        <translation>Pack under-voltage alarm</translation>
    </message>
    <message>
        <source>充电高温报警</source>
        <translation>Charge over-temperature alarm</translation>
    </message>
    <message>
        <source>充电低温报警</source>
        <translation>Charge under-temperature alarm</translation>
    </message>
    <message>
        <source>放电高温报警</source>
        <translation>Discharge over-temperature alarm</translation>
    </message>
    <message>
        <source>放电低温报警</source>
        <translation>Discharge under-temperature alarm</translation>
    </message>
    <message>
        <source>充电MOS高温报警</source>
        <translation>Charge MOS over-temperature alarm</translation>
    </message>
    <message>
        <source>放电MOS高温报警</source>
        <translation>Discharge MOS over-temperature alarm</translation>
    </message>
    <message>
        <source>充电过流报警</source>
        <translation>Charge over-current alarm</translation>
    </message>
    <message>
        <source>放电过流报警</source>
        <translation>Discharge over-current alarm</translation>
    </message>
    <message>
        <source>电芯不平衡(开启均衡)</source>
        <translation>Cell imbalance (balancing on)</translation>
    </message>
    <message>
        <source>温差过大</source>
        <translation>Temperature difference too large</translation>
    </message>
    <message>
        <source>AFE初始化失败</source>
        <translation>AFE initialisation failed</translation>
    </message>
    <message>
        <source>AFE错误</source>
        <translation>AFE error</translation>
    </message>
    <message>
        <source>低电量报警</source>
        <translation>Low SOC alarm</translation>
    </message>
    <message>
        <source>LED灯板不在线</source>
        <translation>LED board offline</translation>
    </message>
    <message>
        <source>充电器电压过低 充电器最高电压 &lt; 电池包过充电压</source>
        <translation>Charger voltage too low: charger maximum voltage &lt; pack over-voltage</translation>
    </message>
    <message>
        <source>充电器电压过高 充电器最低电压 &gt; 电池包过充电压</source>
        <translation>Charger voltage too high: charger minimum voltage &gt; pack over-voltage</translation>
    </message>
    <message>
        <source>充电器电流过低 充电器最大电流 &lt; 电池包充电过流</source>
        <translation>Charger current too low: charger maximum current &lt; pack charge over-current</translation>
    </message>
    <message>
        <source>充电器电流过高 充电器最小电流 &gt; 电池包充电过流</source>
        <translation>Charger current too high: charger minimum current &gt; pack charge over-current</translation>
    </message>
    <message>
        <source>单节过充保护</source>
        <translation>Cell over-voltage protection</translation>
    </message>
    <message>
        <source>单节过放保护</source>
        <translation>Cell under-voltage protection</translation>
    </message>
    <message>
        <source>包充电过流保护</source>
        <translation>Pack charge over-current protection</translation>
    </message>
    <message>
        <source>包放电过流保护</source>
        <translation>Pack discharge over-current protection</translation>
    </message>
    <message>
        <source>充电低温保护</source>
        <translation>Charge under-temperature protection</translation>
    </message>
    <message>
        <source>充电高温保护</source>
        <translation>Charge over-temperature protection</translation>
    </message>
    <message>
        <source>放电低温保护</source>
        <translation>Discharge under-temperature protection</translation>
    </message>
    <message>
        <source>放电高温保护</source>
        <translation>Discharge over-temperature protection</translation>
    </message>
    <message>
        <source>短路保护</source>
        <translation>Short-circuit protection</translation>
    </message>
    <message>
        <source>充电MOS高温保护</source>
        <translation>Charge MOS over-temperature protection</translation>
    </message>
    <message>
        <source>放电MOS高温保护</source>
        <translation>Discharge MOS over-temperature protection</translation>
    </message>
    <message>
        <source>其他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>软件放电过流保护</source>
        <translation>Software discharge over-current protection</translation>
    </message>
    <message>
        <source>预放电短路保护</source>
        <translation>Pre-discharge short-circuit protection</translation>
    </message>
    <message>
        <source>系统校准中(电压、电流、稳定等)</source>
        <translation>System calibration (voltage, current, stability ...)</translation>
    </message>
    <message>
        <source>SOC学习阶段 0非学习阶段 1学习阶段</source>
        <translation>SOC learning stage: 0 not learning, 1 learning</translation>
    </message>
    <message>
        <source>掉线(断线)保护</source>
        <translation>Disconnection protection</translation>
    </message>
    <message>
        <source>电压低于 XX V</source>
        <translation>Voltage below XX V</translation>
    </message>
    <message>
        <source>电压高于 XX V</source>
        <translation>Voltage above XX V</translation>
    </message>
    <message>
        <source>软件计算过充保护</source>
        <translation>Software over-voltage protection</translation>
    </message>
    <message>
        <source>软件计算过放保护</source>
        <translation>Software under-voltage protection</translation>
    </message>
    <message>
        <source>过充3级保护</source>
        <translation>Over-voltage protection level 3</translation>
    </message>
    <message>
        <source>电芯压差过大</source>
        <translation>Cell voltage difference too large</translation>
    </message>
    <message>
        <source>电芯短路保护</source>
        <translation>Cell short-circuit protection</translation>
    </message>
    <message>
        <source>1级软件过流保护</source>
        <translation>Level 1 software over-current protection</translation>
    </message>
    <message>
        <source>2级硬件过流保护</source>
        <translation>Level 2 hardware over-current protection</translation>
    </message>
    <message>
        <source>1级软件/硬件过流保护</source>
        <translation>Level 1 software/hardware over-current protection</translation>
    </message>
    <message>
        <source>2级软件/硬件过流保护</source>
        <translation>Level 2 software/hardware over-current protection</translation>
    </message>
    <message>
        <source>3级软件/硬件过流保护</source>
        <translation>Level 3 software/hardware over-current protection</translation>
    </message>
    <message>
        <source>并包错误 压差过大或者不满足并包条件</source>
        <translation>Parallel connection error: voltage difference too large or conditions not met</translation>
    </message>
    <message>
        <source>告警日志返回全部正常</source>
        <translation>Alarm log: all normal</translation>
    </message>
    <message>
        <source>保护日志返回全部正常</source>
        <translation>Protection log: all normal</translation>
    </message>
    <message>
        <source>未知告警信息</source>
        <translation>Unknown alarm</translation>
    </message>
    <message>
        <source>无效日志记录：事件标志 0x%08X</source>
        <translation>Invalid log entry: event flags 0x%08X</translation>
    </message>
</context>
<context>
    <name>BatteryLogPage</name>
    <message>
        <source>休眠唤醒</source>
        <translation>Sleep/wake-up</translation>
    </message>
    <message>
        <source>常规日志</source>
        <translation>General log</translation>
    </message>
    <message>
        <source>报警日志</source>
        <translation>Alarm log</translation>
    </message>
    <message>
        <source>保护日志</source>
        <translation>Protection log</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Content</translation>
    </message>
    <message>
        <source>电池日志</source>
        <translation>Battery log</translation>
    </message>
    <message>
        <source>无效时间</source>
        <translation>Invalid time</translation>
    </message>
    <message>
        <source>读取</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>调试串口接收的数据：</source>
        <translation>Data received on the debug port:</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>点击过快！</source>
        <translation>Clicked too fast!</translation>
    </message>
    <message>
        <source>获取日志失败LED</source>
        <translation>Reading the log failed</translation>
    </message>
    <message>
        <source>获取日志成功</source>
        <translation>Log read</translation>
    </message>
    <message>
        <source>暂无%1</source>
        <translation>No %1 yet</translation>
    </message>
    <message>
        <source>日志记录为空，没有可导出的内容！</source>
        <translation>The log is empty: nothing to export!</translation>
    </message>
</context>
<context>
    <name>BatteryRecord</name>
    <message>
        <source>过充保护</source>
        <translation>Over-voltage protection</translation>
    </message>
    <message>
        <source> 过放保护</source>
        <translation> Under-voltage protection</translation>
    </message>
    <message>
        <source>充电过流保护</source>
        <translation>Charge over-current protection</translation>
    </message>
    <message>
        <source>放电过流保护</source>
        <translation>Discharge over-current protection</translation>
    </message>
    <message>
        <source>充电低温保护</source>
        <translation>Charge under-temperature protection</translation>
    </message>
    <message>
        <source>充电高温保护</source>
        <translation>Charge over-temperature protection</translation>
    </message>
    <message>
        <source>放电低温保护</source>
        <translation>Discharge under-temperature protection</translation>
    </message>
    <message>
        <source>放电高温保护；</source>
        <translation>Discharge over-temperature protection;</translation>
    </message>
    <message>
        <source> 短路保护</source>
        <translation> Short-circuit protection</translation>
    </message>
    <message>
        <source> 系统复位</source>
        <translation> System reset</translation>
    </message>
    <message>
        <source> 充电MOS</source>
        <translation> Charge MOS</translation>
    </message>
    <message>
        <source>编号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>最大单节电压</source>
        <translation>Max cell voltage</translation>
    </message>
    <message>
        <source>最小单节电压</source>
        <translation>Min cell voltage</translation>
    </message>
    <message>
        <source>总电压</source>
        <translation>Pack voltage</translation>
    </message>
    <message>
        <source>总电流</source>
        <translation>Pack current</translation>
    </message>
    <message>
        <source>最高电芯温度</source>
        <translation>Max cell temperature</translation>
    </message>
    <message>
        <source>最低电芯温度</source>
        <translation>Min cell temperature</translation>
    </message>
    <message>
        <source>MOS温度</source>
        <translation>MOS temperature</translation>
    </message>
    <message>
        <source>SOC</source>
        <translation>SOC</translation>
    </message>
    <message>
        <source>故障状态1</source>
        <translation>Fault status 1</translation>
    </message>
    <message>
        <source>故障状态2</source>
        <translation>Fault status 2</translation>
    </message>
    <message>
        <source>故障状态3</source>
        <translation>Fault status 3</translation>
    </message>
    <message>
        <source>MOS状态</source>
        <translation>MOS status</translation>
    </message>
</context>
<context>
    <name>BatteryRecordPage</name>
    <message>
        <source>电池记录</source>
        <translation>Battery records</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>读取</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>日志记录为空，没有可导出的内容！</source>
        <translation>The log is empty: nothing to export!</translation>
    </message>
</context>
<context>
    <name>BoardText</name>
    <message>
        <source>单电</source>
        <translation>Single board</translation>
    </message>
    <message>
        <source>主电</source>
        <translation>Main board</translation>
    </message>
    <message>
        <source>副电</source>
        <translation>Secondary board</translation>
    </message>
    <message>
        <source>boot区</source>
        <translation>boot area</translation>
    </message>
    <message>
        <source>APP区</source>
        <translation>APP area</translation>
    </message>
    <message>
        <source>串口</source>
        <translation>Serial port</translation>
    </message>
    <message>
        <source>一线通</source>
        <translation>One-wire link</translation>
    </message>
</context>
<context>
    <name>CalculatorPage</name>
    <message>
        <source>C</source>
        <translation>C</translation>
    </message>
    <message>
        <source>delete</source>
        <translation>delete</translation>
    </message>
    <message>
        <source>表达式有误！</source>
        <translation>Invalid expression!</translation>
    </message>
    <message>
        <source>计算器</source>
        <translation>Calculator</translation>
    </message>
    <message>
        <source>除数不能为零！</source>
        <translation>The divisor cannot be zero!</translation>
    </message>
</context>
<context>
    <name>CaptureBar</name>
    <message>
        <source>开始抓包</source>
        <translation>Start capture</translation>
    </message>
    <message>
        <source>停止抓包</source>
        <translation>Stop capture</translation>
    </message>
    <message>
        <source>抓包文件 (*.pcapng);;所有文件 (*)</source>
        <translation>Capture files (*.pcapng);;All files (*)</translation>
    </message>
    <message>
        <source>抓包</source>
        <translation>Capture</translation>
    </message>
    <message>
        <source>抓包已停止：%1</source>
        <translation>Capture stopped: %1</translation>
    </message>
    <message>
        <source>抓包中：%1，%2 个记录，%3</source>
        <translation>Capturing: %1, %2 records, %3</translation>
    </message>
    <message>
        <source>已保存：%1，%2 个记录，%3</source>
        <translation>Saved: %1, %2 records, %3</translation>
    </message>
</context>
<context>
    <name>CaptureFile</name>
    <message>
        <source>无法创建抓包文件 %1：%2</source>
        <translation>Cannot create the capture file %1: %2</translation>
    </message>
    <message>
        <source>抓包文件 %1 写入失败，抓包已停止：%2</source>
        <translation>Writing the capture file %1 failed; capture stopped: %2</translation>
    </message>
</context>
<context>
    <name>CellBarChart</name>
    <message>
        <source>单体电压</source>
        <translation>Cell voltage</translation>
    </message>
    <message>
        <source>最高</source>
        <translation>Highest</translation>
    </message>
    <message>
        <source>最低</source>
        <translation>Lowest</translation>
    </message>
    <message>
        <source>均衡中</source>
        <translation>Balancing</translation>
    </message>
    <message>
        <source>mV</source>
        <translation>mV</translation>
    </message>
</context>
<context>
    <name>ChangePasswordDialog</name>
    <message>
        <source>修改密码</source>
        <translation>Change password</translation>
    </message>
    <message>
        <source>原密码：</source>
        <translation>Old password:</translation>
    </message>
    <message>
        <source>新密码：</source>
        <translation>New password:</translation>
    </message>
    <message>
        <source>确认密码：</source>
        <translation>Confirm password:</translation>
    </message>
    <message>
        <source>修改密码失败！</source>
        <translation>Changing the password failed!</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
</context>
<context>
    <name>CustomerControlPage</name>
    <message>
        <source>电压校准：</source>
        <translation>Voltage calibration:</translation>
    </message>
    <message>
        <source>电流校准 (mA)：</source>
        <translation>Current calibration (mA):</translation>
    </message>
    <message>
        <source>阈值</source>
        <translation>Threshold</translation>
    </message>
    <message>
        <source>开关充电MOS管：</source>
        <translation>Charge MOS on/off:</translation>
    </message>
    <message>
        <source>开关放电MOS管：</source>
        <translation>Discharge MOS on/off:</translation>
    </message>
    <message>
        <source>开关预放电MOS管：</source>
        <translation>Pre-discharge MOS on/off:</translation>
    </message>
    <message>
        <source>开</source>
        <translation>On</translation>
    </message>
    <message>
        <source>关</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>进入仓储模式：</source>
        <translation>Enter storage mode:</translation>
    </message>
    <message>
        <source>进入内部调试模式：</source>
        <translation>Enter internal debug mode:</translation>
    </message>
    <message>
        <source>退出内部调试模式：</source>
        <translation>Leave internal debug mode:</translation>
    </message>
    <message>
        <source>充电履历：</source>
        <translation>Charge history:</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>充电(小时)</source>
        <translation>Charge (hours)</translation>
    </message>
    <message>
        <source>放电(小时)</source>
        <translation>Discharge (hours)</translation>
    </message>
    <message>
        <source>放电履历：</source>
        <translation>Discharge history:</translation>
    </message>
    <message>
        <source>BMS状态：</source>
        <translation>BMS status:</translation>
    </message>
    <message>
        <source>当前时间：</source>
        <translation>Current time:</translation>
    </message>
    <message>
        <source>保护板在线升级：</source>
        <translation>Online firmware upgrade:</translation>
    </message>
    <message>
        <source>（自定义升级协议）</source>
        <translation>(custom upgrade protocol)</translation>
    </message>
    <message>
        <source>温度校准：</source>
        <translation>Temperature calibration:</translation>
    </message>
    <message>
        <source>值</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>双电并入压差：</source>
        <translation>Dual-pack merge voltage difference:</translation>
    </message>
    <message>
        <source>电池工作模式：</source>
        <translation>Battery working mode:</translation>
    </message>
    <message>
        <source>均衡开启：</source>
        <translation>Balancing on:</translation>
    </message>
    <message>
        <source>节数</source>
        <translation>Cells</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>设置命令发送间隔</source>
        <translation>Set command interval</translation>
    </message>
    <message>
        <source>修改密码</source>
        <translation>Change password</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>恢复出厂</source>
        <translation>Factory reset</translation>
    </message>
    <message>
        <source>复位最值</source>
        <translation>Reset extremes</translation>
    </message>
    <message>
        <source>重启系统</source>
        <translation>Restart system</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>参数不能为空！</source>
        <translation>The value must not be empty!</translation>
    </message>
    <message>
        <source>输入的整数无效！</source>
        <translation>Invalid integer!</translation>
    </message>
    <message>
        <source>请输入 %d 至 %d 之间的整数！</source>
        <translation>Enter an integer from %d to %d!</translation>
    </message>
    <message>
        <source>请求退出，等待响应</source>
        <translation>Leave requested, waiting for the answer</translation>
    </message>
    <message>
        <source>是否获取系统时间作为当前设置时间？</source>
        <translation>Use the computer&apos;s time as the time to set?</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>Binary Files (*.bin *.hex);;All Files (*)</source>
        <translation>Binary Files (*.bin *.hex);;All Files (*)</translation>
    </message>
    <message>
        <source>请选择升级文件</source>
        <translation>Choose the upgrade file</translation>
    </message>
    <message>
        <source>无效温度范围</source>
        <translation>Invalid temperature range</translation>
    </message>
    <message>
        <source>请求进入，等待响应</source>
        <translation>Enter requested, waiting for the answer</translation>
    </message>
    <message>
        <source>，发送失败</source>
        <translation>, sending failed</translation>
    </message>
    <message>
        <source>放电 MOS 关闭之后需要手动打开，
您确信要继续执行关闭放电 MOS 开关？</source>
        <translation>Once the discharge MOS is off it must be switched on by hand.
Switch the discharge MOS off?</translation>
    </message>
    <message>
        <source>您确定要继续吗？</source>
        <translation>Do you want to continue?</translation>
    </message>
    <message>
        <source>发送间隔（毫秒）</source>
        <translation>Command interval (ms)</translation>
    </message>
    <message>
        <source>客户使用-2</source>
        <translation>Customer 2</translation>
    </message>
    <message>
        <source>双击一行的勾选框读取这一行，双击它的指示灯发送这一行的命令。</source>
        <translation>Double-click a row&apos;s check box to read the row; double-click its lamp to send the row&apos;s command.</translation>
    </message>
    <message>
        <source>，成功进入</source>
        <translation>, entered</translation>
    </message>
    <message>
        <source>，成功退出</source>
        <translation>, left</translation>
    </message>
    <message>
        <source>执行失败！</source>
        <translation>Execution failed!</translation>
    </message>
    <message>
        <source>执行成功！</source>
        <translation>Execution succeeded!</translation>
    </message>
</context>
<context>
    <name>Dialog</name>
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
    <name>Excel</name>
    <message>
        <source>创建 Excel 文件数据库失败</source>
        <translation>Creating the Excel workbook failed</translation>
    </message>
    <message>
        <source>操作 Excel 数据库发生异常</source>
        <translation>An error occurred while writing the Excel workbook</translation>
    </message>
</context>
<context>
    <name>FileError</name>
    <message>
        <source>没有写入权限</source>
        <translation>No write permission</translation>
    </message>
    <message>
        <source>所在的文件系统是只读的</source>
        <translation>The file system is read-only</translation>
    </message>
    <message>
        <source>磁盘已满</source>
        <translation>Disk full</translation>
    </message>
    <message>
        <source>超出了磁盘配额</source>
        <translation>Disk quota exceeded</translation>
    </message>
    <message>
        <source>文件夹不存在</source>
        <translation>The folder does not exist</translation>
    </message>
    <message>
        <source>路径中有一段不是文件夹</source>
        <translation>Part of the path is not a folder</translation>
    </message>
    <message>
        <source>同名的文件夹占用了这个文件名</source>
        <translation>A folder of the same name takes this file name</translation>
    </message>
    <message>
        <source>文件正被占用</source>
        <translation>The file is in use</translation>
    </message>
    <message>
        <source>打开的文件太多</source>
        <translation>Too many open files</translation>
    </message>
    <message>
        <source>磁盘读写出错</source>
        <translation>Disk read/write error</translation>
    </message>
    <message>
        <source>路径太长</source>
        <translation>Path too long</translation>
    </message>
    <message>
        <source>文件太大</source>
        <translation>File too large</translation>
    </message>
    <message>
        <source>无法打开或写入文件</source>
        <translation>Cannot open or write the file</translation>
    </message>
    <message>
        <source>系统错误 %1：%2</source>
        <translation>System error %1: %2</translation>
    </message>
</context>
<context>
    <name>FillInKind</name>
    <message>
        <source>充电内阻</source>
        <translation>Charge internal resistance</translation>
    </message>
    <message>
        <source>放电内阻</source>
        <translation>Discharge internal resistance</translation>
    </message>
    <message>
        <source>开路电压</source>
        <translation>Open-circuit voltage</translation>
    </message>
    <message>
        <source>寄存器</source>
        <translation>Register</translation>
    </message>
</context>
<context>
    <name>FirmwareUpgradeDialog</name>
    <message>
        <source>软件升级</source>
        <translation>Firmware upgrade</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>升级过程</source>
        <translation>Upgrade progress</translation>
    </message>
    <message>
        <source>选择文件</source>
        <translation>Choose file</translation>
    </message>
    <message>
        <source>刷新显示</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>升级</source>
        <translation>Upgrade</translation>
    </message>
    <message>
        <source>升级文件名：</source>
        <translation>Upgrade file:</translation>
    </message>
    <message>
        <source>先选择升级文件，再点击升级按钮启动升级！</source>
        <translation>Choose the upgrade file first, then click Upgrade to start!</translation>
    </message>
    <message>
        <source>文件内容为空!</source>
        <translation>The file is empty!</translation>
    </message>
    <message>
        <source>读取文件返回失败!</source>
        <translation>Reading the file failed!</translation>
    </message>
    <message>
        <source>错误：%1</source>
        <translation>Error: %1</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>升级文件为空，请先选择升级文件！</source>
        <translation>No upgrade file: choose one first!</translation>
    </message>
    <message>
        <source>请先打开串口后再进行操作！</source>
        <translation>Open the serial port first!</translation>
    </message>
    <message>
        <source>重新升级</source>
        <translation>Upgrade again</translation>
    </message>
    <message>
        <source>Binary Files (*.bin *.hex);;All Files (*)</source>
        <translation>Binary Files (*.bin *.hex);;All Files (*)</translation>
    </message>
    <message>
        <source>请选择升级文件</source>
        <translation>Choose the upgrade file</translation>
    </message>
    <message>
        <source>升级后的软件版本：%1</source>
        <translation>Firmware version after the upgrade: %1</translation>
    </message>
    <message>
        <source>警告：软件版本没有变化，仍是 %1，请确认升级是否生效</source>
        <translation>Warning: the firmware version has not changed, still %1; check that the upgrade took effect</translation>
    </message>
    <message>
        <source>软件版本：升级前 %1，升级后 %2</source>
        <translation>Firmware version: %1 before the upgrade, %2 after</translation>
    </message>
    <message>
        <source>升级Before</source>
        <translation>Pre-upgrade query</translation>
    </message>
    <message>
        <source>固件升级</source>
        <translation>Firmware upgrade</translation>
    </message>
    <message>
        <source>验证固件信息</source>
        <translation>Verify firmware information</translation>
    </message>
    <message>
        <source>擦除FLASH</source>
        <translation>Erase FLASH</translation>
    </message>
    <message>
        <source>写固件数据</source>
        <translation>Write firmware data</translation>
    </message>
    <message>
        <source>查询升级结果</source>
        <translation>Query upgrade result</translation>
    </message>
    <message>
        <source>升级After</source>
        <translation>Post-upgrade query</translation>
    </message>
    <message>
        <source>无效命令</source>
        <translation>Invalid command</translation>
    </message>
    <message>
        <source>固件大小 %1 字节超出升级协议的范围（最多 65535 块，即 4194240 字节）</source>
        <translation>Firmware size %1 bytes exceeds the upgrade protocol&apos;s range (at most 65535 blocks, i.e. 4194240 bytes)</translation>
    </message>
    <message>
        <source>启动固件升级 %1（%2字节） ......</source>
        <translation>Starting the firmware upgrade %1 (%2 bytes) ......</translation>
    </message>
    <message>
        <source>TX-&gt;：%1(%2)请求</source>
        <translation>TX-&gt;: %1(%2) request</translation>
    </message>
    <message>
        <source>错误：添加至发送队列时，返回失败</source>
        <translation>Error: adding to the send queue failed</translation>
    </message>
    <message>
        <source>错误：块长度 %1 字节装不进一帧（最多 %2 字节），升级终止</source>
        <translation>Error: a block of %1 bytes does not fit in a frame (at most %2 bytes); upgrade ended</translation>
    </message>
    <message>
        <source>错误：请求发送未知命令(%1)</source>
        <translation>Error: request to send an unknown command (%1)</translation>
    </message>
    <message>
        <source>发送：%1命令，Len=%2，块序号%3，块长度=%4</source>
        <translation>Sent: %1 command, Len=%2, block %3, block length=%4</translation>
    </message>
    <message>
        <source>发送：%1命令，Len=%2</source>
        <translation>Sent: %1 command, Len=%2</translation>
    </message>
    <message>
        <source>没有命令字段</source>
        <translation>No command field</translation>
    </message>
    <message>
        <source>错误：应答数据不完整，只有 %1 字节</source>
        <translation>Error: incomplete answer, only %1 bytes</translation>
    </message>
    <message>
        <source>电池电量过低</source>
        <translation>Battery charge too low</translation>
    </message>
    <message>
        <source>电池存在保护状态</source>
        <translation>Battery has a protection active</translation>
    </message>
    <message>
        <source>不支持固件升级</source>
        <translation>Firmware upgrade not supported</translation>
    </message>
    <message>
        <source>当前电池正在充放电</source>
        <translation>Battery is charging or discharging</translation>
    </message>
    <message>
        <source>原因未知(%1)</source>
        <translation>Unknown reason (%1)</translation>
    </message>
    <message>
        <source>厂商信息错误</source>
        <translation>Wrong vendor information</translation>
    </message>
    <message>
        <source>硬件型号序列号不匹配</source>
        <translation>Hardware model or serial number does not match</translation>
    </message>
    <message>
        <source>固件大小超出芯片支持范围</source>
        <translation>Firmware size exceeds what the chip supports</translation>
    </message>
    <message>
        <source>固件包头信息错误</source>
        <translation>Wrong firmware header</translation>
    </message>
    <message>
        <source>Flash 擦除失败</source>
        <translation>Flash erase failed</translation>
    </message>
    <message>
        <source>板卡选择的块长度 %1 字节装不进一帧（最多 243 字节）</source>
        <translation>The block length %1 bytes chosen by the board does not fit in a frame (at most 243 bytes)</translation>
    </message>
    <message>
        <source>接收：第 %1 块数据已经写入FLASH</source>
        <translation>Received: block %1 written to FLASH</translation>
    </message>
    <message>
        <source>接收：升级固件全部写入成功</source>
        <translation>Received: all firmware written</translation>
    </message>
    <message>
        <source>固件块校验再次检测到错误</source>
        <translation>Firmware block check failed again</translation>
    </message>
    <message>
        <source>错误：固件块校验错误，即将重传固件块</source>
        <translation>Error: firmware block check failed; the block will be sent again</translation>
    </message>
    <message>
        <source>固件块写Flash失败</source>
        <translation>Writing the firmware block to Flash failed</translation>
    </message>
    <message>
        <source>固件快编号异常</source>
        <translation>Wrong firmware block number</translation>
    </message>
    <message>
        <source>软件升级失败</source>
        <translation>Firmware upgrade failed</translation>
    </message>
    <message>
        <source>接收：软件升级成功</source>
        <translation>Received: firmware upgrade succeeded</translation>
    </message>
    <message>
        <source>错误：接收到未知命令(%1)</source>
        <translation>Error: unknown command received (%1)</translation>
    </message>
    <message>
        <source>错误：数据帧头错误，%1 %2</source>
        <translation>Error: wrong frame header, %1 %2</translation>
    </message>
    <message>
        <source>-&gt;RX：%1(%2)响应</source>
        <translation>-&gt;RX: %1(%2) answer</translation>
    </message>
    <message>
        <source>错误：当前=%1，接收=%2</source>
        <translation>Error: expected=%1, received=%2</translation>
    </message>
    <message>
        <source>错误：当前=%1，接收=%2，请点击重新升级</source>
        <translation>Error: expected=%1, received=%2; click Upgrade again</translation>
    </message>
    <message>
        <source>错误：当前=%1，接收=%2，将重传%3命令</source>
        <translation>Error: expected=%1, received=%2; the %3 command will be sent again</translation>
    </message>
    <message>
        <source>错误：当前=%1，接收=%2，可能是重复响应</source>
        <translation>Error: expected=%1, received=%2; possibly a repeated answer</translation>
    </message>
    <message>
        <source>错误：当前=%1，接收=%2，升级终止</source>
        <translation>Error: expected=%1, received=%2; upgrade ended</translation>
    </message>
    <message>
        <source>错误：%1，升级终止</source>
        <translation>Error: %1; upgrade ended</translation>
    </message>
    <message>
        <source>请点击升级按钮</source>
        <translation>Click Upgrade</translation>
    </message>
    <message>
        <source>请选择升级文件，并点击升级按钮</source>
        <translation>Choose the upgrade file and click Upgrade</translation>
    </message>
    <message>
        <source>错误：重传的%1命令仍然没有应答，请检查连接后点击重新升级</source>
        <translation>Error: the %1 command sent again got no answer either; check the connection and click Upgrade again</translation>
    </message>
    <message>
        <source>重传：%1命令，数据帧长度=%2</source>
        <translation>Resent: %1 command, frame length=%2</translation>
    </message>
</context>
<context>
    <name>IniFile</name>
    <message>
        <source>文件过大</source>
        <translation>File too large</translation>
    </message>
</context>
<context>
    <name>InputBox</name>
    <message>
        <source>输入值不能为空！</source>
        <translation>The value must not be empty!</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
</context>
<context>
    <name>InternalDebugPage</name>
    <message>
        <source>保护板在线升级：</source>
        <translation>Online firmware upgrade:</translation>
    </message>
    <message>
        <source>（YModem升级协议）</source>
        <translation>(YModem upgrade protocol)</translation>
    </message>
    <message>
        <source>生产日期：</source>
        <translation>Production date:</translation>
    </message>
    <message>
        <source>软硬件版本：</source>
        <translation>Firmware/hardware version:</translation>
    </message>
    <message>
        <source>软件</source>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>硬件</source>
        <translation>Hardware</translation>
    </message>
    <message>
        <source>串数,并数,容量：</source>
        <translation>Series, parallel, capacity:</translation>
    </message>
    <message>
        <source>串数</source>
        <translation>Series</translation>
    </message>
    <message>
        <source>并数</source>
        <translation>Parallel</translation>
    </message>
    <message>
        <source>标称容量(mAH)</source>
        <translation>Rated capacity (mAh)</translation>
    </message>
    <message>
        <source>SN 码：</source>
        <translation>SN:</translation>
    </message>
    <message>
        <source>电芯实测容量 (mAH)：</source>
        <translation>Measured cell capacity (mAh):</translation>
    </message>
    <message>
        <source>开路电压：</source>
        <translation>Open-circuit voltage:</translation>
    </message>
    <message>
        <source>修改开路电压</source>
        <translation>Change open-circuit voltage</translation>
    </message>
    <message>
        <source>充电内阻：</source>
        <translation>Charge internal resistance:</translation>
    </message>
    <message>
        <source>修改充电内阻</source>
        <translation>Change charge internal resistance</translation>
    </message>
    <message>
        <source>放电内阻：</source>
        <translation>Discharge internal resistance:</translation>
    </message>
    <message>
        <source>修改放电内阻</source>
        <translation>Change discharge internal resistance</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>电流</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>mA</source>
        <translation>mA</translation>
    </message>
    <message>
        <source>读取寄存器：</source>
        <translation>Read register:</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>修改寄存器值</source>
        <translation>Change register value</translation>
    </message>
    <message>
        <source>导入参数</source>
        <translation>Import parameters</translation>
    </message>
    <message>
        <source>导出参数</source>
        <translation>Export parameters</translation>
    </message>
    <message>
        <source>寄存器内容</source>
        <translation>Register contents</translation>
    </message>
    <message>
        <source>参数不能为空！</source>
        <translation>The value must not be empty!</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>请选择升级文件</source>
        <translation>Choose the upgrade file</translation>
    </message>
    <message>
        <source>Binary Files (*.bin *.hex);;All Files (*)</source>
        <translation>Binary Files (*.bin *.hex);;All Files (*)</translation>
    </message>
    <message>
        <source>升级请求已发出,等待响应！</source>
        <translation>Upgrade request sent, waiting for the answer!</translation>
    </message>
    <message>
        <source>中继器已经退出 BMS 在线升级模式！</source>
        <translation>The repeater has left the BMS online upgrade mode!</translation>
    </message>
    <message>
        <source>响应时，页面处于非活动状态！</source>
        <translation>The page was not active when the answer came!</translation>
    </message>
    <message>
        <source>请求在线升级，收到响应！</source>
        <translation>Online upgrade requested, answer received!</translation>
    </message>
    <message>
        <source>请双击选择升级文件！</source>
        <translation>Double-click to choose the upgrade file!</translation>
    </message>
    <message>
        <source>板上日期无效：%1</source>
        <translation>Invalid date on the board: %1</translation>
    </message>
    <message>
        <source>生产日期</source>
        <translation>Production date</translation>
    </message>
    <message>
        <source>寄存器名称为空！</source>
        <translation>The register name is empty!</translation>
    </message>
    <message>
        <source>名称无</source>
        <translation>No name</translation>
    </message>
    <message>
        <source>名称空</source>
        <translation>Name empty</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>内阻值</source>
        <translation>Internal resistance</translation>
    </message>
    <message>
        <source>充电内阻</source>
        <translation>Charge internal resistance</translation>
    </message>
    <message>
        <source>放电内阻</source>
        <translation>Discharge internal resistance</translation>
    </message>
    <message>
        <source>请选择实测参数文件</source>
        <translation>Choose the measured-parameter file</translation>
    </message>
    <message>
        <source>*.ini (*.ini)</source>
        <translation>*.ini (*.ini)</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>文件未能写入，原文件保持不变，请另存文件名！
%1</source>
        <translation>The file could not be written; the original file is unchanged. Save under another name!
%1</translation>
    </message>
    <message>
        <source>内部调试</source>
        <translation>Internal debug</translation>
    </message>
    <message>
        <source>“保护板在线升级”不随“读取”“写入”进行：双击它的勾选框选择升级文件并发出升级请求，板卡应答后升级开始。</source>
        <translation>&quot;Protection board online upgrade&quot; does not run with &quot;Read&quot; or &quot;Write&quot;: double-click its check box to choose the upgrade file and send the upgrade request; the upgrade starts when the board answers.</translation>
    </message>
</context>
<context>
    <name>Language</name>
    <message>
        <source>--lang 需要一个值：zh 或 en。</source>
        <translation>--lang needs a value: zh or en.</translation>
    </message>
    <message>
        <source>--lang 的值“%1”无效：只能是 zh 或 en。</source>
        <translation>Invalid --lang value &quot;%1&quot;: only zh or en.</translation>
    </message>
</context>
<context>
    <name>ListExport</name>
    <message>
        <source>文件正在被另一个程序打开或使用，请另存文件名！</source>
        <translation>The file is open or in use by another program. Save under another name!</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Excel 工作簿 (*.xlsx);;所有文件 (*)</source>
        <translation>Excel workbook (*.xlsx);;All files (*)</translation>
    </message>
    <message>
        <source>工作簿按 .xlsx 格式保存，文件名为：
%1</source>
        <translation>The workbook is saved in .xlsx format, as:
%1</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>%1
该文件已存在，要替换它吗？（输入的文件名：%2）</source>
        <translation>%1
This file already exists. Replace it? (file name entered: %2)</translation>
    </message>
</context>
<context>
    <name>LiveStatusPage</name>
    <message>
        <source>单节过充保护</source>
        <translation>Cell over-voltage protection</translation>
    </message>
    <message>
        <source>单节过充报警</source>
        <translation>Cell over-voltage alarm</translation>
    </message>
    <message>
        <source>单节过放报警</source>
        <translation>Cell under-voltage alarm</translation>
    </message>
    <message>
        <source>单节过放保护</source>
        <translation>Cell under-voltage protection</translation>
    </message>
    <message numerus="yes">
        <source>无法写入 %1：%2。%n 行记录暂存在内存中，待可以写入时补写。</source>
        <translation>
            <numerusform>Cannot write %1: %2. %n row is kept in memory and written when writing works again.</numerusform>
            <numerusform>Cannot write %1: %2. %n rows are kept in memory and written when writing works again.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>已补写 %n 行暂存的记录（%1）。</source>
        <translation>
            <numerusform>%n kept row written (%1).</numerusform>
            <numerusform>%n kept rows written (%1).</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>暂存的记录已满，最早的 %n 行已丢弃。</source>
        <translation>
            <numerusform>The kept rows are full; the oldest %n row was dropped.</numerusform>
            <numerusform>The kept rows are full; the oldest %n rows were dropped.</numerusform>
        </translation>
    </message>
    <message>
        <source>数据已过期（自 %1）</source>
        <translation>Data out of date (since %1)</translation>
    </message>
    <message>
        <source>客户使用-1</source>
        <translation>Customer 1</translation>
    </message>
    <message>
        <source>定时刷新</source>
        <translation>Auto refresh</translation>
    </message>
    <message>
        <source>定时保存</source>
        <translation>Timed recording</translation>
    </message>
    <message>
        <source>频率(秒)</source>
        <translation>Period (s)</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>读 取</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>曲线</source>
        <translation>Curves</translation>
    </message>
    <message>
        <source>充电</source>
        <translation>Charge</translation>
    </message>
    <message>
        <source>放电</source>
        <translation>Discharge</translation>
    </message>
    <message>
        <source>预放电</source>
        <translation>Pre-discharge</translation>
    </message>
    <message>
        <source>节</source>
        <translation>Cell</translation>
    </message>
    <message>
        <source>单节电压(mV)</source>
        <translation>Cell voltage (mV)</translation>
    </message>
    <message>
        <source>单节最大电压 9999</source>
        <translation>Max cell voltage 9999</translation>
    </message>
    <message>
        <source>均衡</source>
        <translation>Balancing</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>历史单节最高电压 (mV)</source>
        <translation>Historic max cell voltage (mV)</translation>
    </message>
    <message>
        <source>值</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>温度16</source>
        <translation>Temperature 16</translation>
    </message>
    <message>
        <source>值(℃)</source>
        <translation>Value (℃)</translation>
    </message>
    <message>
        <source>软硬件版本：</source>
        <translation>Firmware/hardware version:</translation>
    </message>
    <message>
        <source>总电压,电流,温度：</source>
        <translation>Pack voltage, current, temperatures:</translation>
    </message>
    <message>
        <source>保护状态：</source>
        <translation>Protection status:</translation>
    </message>
    <message>
        <source>充放电循环次数：</source>
        <translation>Cycle count:</translation>
    </message>
    <message>
        <source>充放电及预放电MOS状态：</source>
        <translation>Charge, discharge and pre-discharge MOS:</translation>
    </message>
    <message>
        <source>温度探头个数：</source>
        <translation>Temperature sensors:</translation>
    </message>
    <message>
        <source>SOC，SOH：</source>
        <translation>SOC, SOH:</translation>
    </message>
    <message>
        <source>生产日期：</source>
        <translation>Production date:</translation>
    </message>
    <message>
        <source>剩余容量：</source>
        <translation>Remaining capacity:</translation>
    </message>
    <message>
        <source>满电容量：</source>
        <translation>Full charge capacity:</translation>
    </message>
    <message>
        <source>SN 码：</source>
        <translation>SN:</translation>
    </message>
    <message>
        <source>报警状态：</source>
        <translation>Alarm status:</translation>
    </message>
    <message>
        <source>单节电压：</source>
        <translation>Cell voltages:</translation>
    </message>
    <message>
        <source>均衡状态：</source>
        <translation>Balancing status:</translation>
    </message>
    <message>
        <source>最值记录：</source>
        <translation>Extremes:</translation>
    </message>
    <message>
        <source>软件版本</source>
        <translation>Firmware version</translation>
    </message>
    <message>
        <source>硬件版本</source>
        <translation>Hardware version</translation>
    </message>
    <message>
        <source>总电压</source>
        <translation>Pack voltage</translation>
    </message>
    <message>
        <source>总电流</source>
        <translation>Pack current</translation>
    </message>
    <message>
        <source>请先打开串口后再进行操作！</source>
        <translation>Open the serial port first!</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>温度%1</source>
        <translation>Temperature %1</translation>
    </message>
</context>
<context>
    <name>LogMenu</name>
    <message>
        <source>日志控件</source>
        <translation>Log list</translation>
    </message>
    <message>
        <source>复制（&amp;C）</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>导出日志（&amp;E）</source>
        <translation>&amp;Export log</translation>
    </message>
    <message>
        <source>清空日志（&amp;D）</source>
        <translation>Clear &amp;log</translation>
    </message>
    <message>
        <source>显示最新（&amp;L）</source>
        <translation>Show &amp;latest</translation>
    </message>
</context>
<context>
    <name>LogModel</name>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>动作</source>
        <translation>Action</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Content</translation>
    </message>
    <message>
        <source>紧急</source>
        <translation>Emergency</translation>
    </message>
    <message>
        <source>故障</source>
        <translation>Fault</translation>
    </message>
    <message>
        <source>关键</source>
        <translation>Critical</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>通告</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>信息</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>调试</source>
        <translation>Debug</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>自动重连</source>
        <translation>Auto reconnect</translation>
    </message>
    <message>
        <source>串口意外断开后，设备重新出现时按原设置自动重新打开</source>
        <translation>After the serial port was lost unexpectedly, reopen it with the same settings when the device comes back</translation>
    </message>
    <message>
        <source>上次使用的 %1 不是系统列出的串口设备，启动时不自动打开，确认后请手动打开。</source>
        <translation>The last used %1 is not a serial port the system lists; it is not opened at start. Open it by hand if wanted.</translation>
    </message>
    <message>
        <source>上次使用的串口 %1 不存在，启动时没有打开其他串口。</source>
        <translation>The last used serial port %1 does not exist; no other port was opened at start.</translation>
    </message>
    <message>
        <source>串口 %1 不存在</source>
        <translation>Serial port %1 does not exist</translation>
    </message>
    <message>
        <source>COM口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>数据位</source>
        <translation>Data bits</translation>
    </message>
    <message>
        <source>校验位</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>停止位</source>
        <translation>Stop bits</translation>
    </message>
    <message>
        <source>打开串口</source>
        <translation>Open port</translation>
    </message>
    <message>
        <source>主电</source>
        <translation>Main board</translation>
    </message>
    <message>
        <source>副电</source>
        <translation>Secondary board</translation>
    </message>
    <message>
        <source>关于 Pylvex (F1)</source>
        <translation>About Pylvex (F1)</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>当前选择的串口号为空！</source>
        <translation>No serial port chosen!</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>关闭串口</source>
        <translation>Close port</translation>
    </message>
    <message>
        <source>您确信要关闭串口？</source>
        <translation>Close the serial port?</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>保存的串口名“%1”不是有效的设备名，已忽略</source>
        <translation>The saved serial port name &quot;%1&quot; is not a valid device name; ignored</translation>
    </message>
</context>
<context>
    <name>MsgBox</name>
    <message>
        <source>是(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>否(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>NetLink</name>
    <message>
        <source>连接被拒绝</source>
        <translation>Connection refused</translation>
    </message>
    <message>
        <source>建立连接超时</source>
        <translation>Connection timed out</translation>
    </message>
    <message>
        <source>无效地址</source>
        <translation>Invalid address</translation>
    </message>
    <message>
        <source>地址不可及</source>
        <translation>Address unreachable</translation>
    </message>
    <message>
        <source>地址被占用</source>
        <translation>Address in use</translation>
    </message>
    <message>
        <source>地址本机不可用</source>
        <translation>Address not available on this computer</translation>
    </message>
    <message>
        <source>套接字内存不足</source>
        <translation>Out of socket memory</translation>
    </message>
    <message>
        <source>无效参数</source>
        <translation>Invalid argument</translation>
    </message>
    <message>
        <source>错误码-%1</source>
        <translation>Error code -%1</translation>
    </message>
</context>
<context>
    <name>PackChartFeed</name>
    <message>
        <source>连接 %1</source>
        <translation>Connected %1</translation>
    </message>
    <message>
        <source>切换 %1</source>
        <translation>Switched %1</translation>
    </message>
    <message>
        <source>板卡 %1</source>
        <translation>Board %1</translation>
    </message>
</context>
<context>
    <name>PackChartWindow</name>
    <message>
        <source>曲线</source>
        <translation>Curves</translation>
    </message>
    <message>
        <source>时间范围</source>
        <translation>Time range</translation>
    </message>
    <message>
        <source>5 分钟</source>
        <translation>5 minutes</translation>
    </message>
    <message>
        <source>30 分钟</source>
        <translation>30 minutes</translation>
    </message>
    <message>
        <source>2 小时</source>
        <translation>2 hours</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
    <message>
        <source>数据</source>
        <translation>Data</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>打开记录...</source>
        <translation>Open recording...</translation>
    </message>
    <message>
        <source>导出图片...</source>
        <translation>Export picture...</translation>
    </message>
    <message>
        <source>导出数据...</source>
        <translation>Export data...</translation>
    </message>
    <message>
        <source>移动鼠标查看某一时刻的数值；滚轮缩放，拖动平移，双击回到最新</source>
        <translation>Move the mouse to see the values at a moment; wheel zooms, drag pans, double-click returns to the latest</translation>
    </message>
    <message>
        <source>实时（最新）</source>
        <translation>Live (latest)</translation>
    </message>
    <message>
        <source>实时：%1</source>
        <translation>Live: %1</translation>
    </message>
    <message>
        <source>记录：%1</source>
        <translation>Recording: %1</translation>
    </message>
    <message>
        <source>无法显示 %1：
%2</source>
        <translation>Cannot show %1:
%2</translation>
    </message>
    <message>
        <source>记录文件 (*.csv)</source>
        <translation>Recording files (*.csv)</translation>
    </message>
    <message>
        <source>打开记录</source>
        <translation>Open recording</translation>
    </message>
    <message>
        <source>PNG 图片 (*.png)</source>
        <translation>PNG pictures (*.png)</translation>
    </message>
    <message>
        <source>导出图片</source>
        <translation>Export picture</translation>
    </message>
    <message>
        <source>CSV 文件 (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>导出数据</source>
        <translation>Export data</translation>
    </message>
    <message>
        <source>无法写入文件 %1</source>
        <translation>Cannot write the file %1</translation>
    </message>
    <message>
        <source>记录中没有数据</source>
        <translation>No data in the recording</translation>
    </message>
    <message>
        <source>记录：%1 至 %2</source>
        <translation>Recording: %1 to %2</translation>
    </message>
    <message>
        <source>尚无实时数据</source>
        <translation>No live data yet</translation>
    </message>
    <message>
        <source>内存中保存 %1 起的数据：%2 起为完整数据，更早的已抽稀为每像素最高与最低值</source>
        <translation>Held in memory from %1: full data from %2, older data thinned to the highest and lowest value per pixel</translation>
    </message>
    <message>
        <source>内存中保存 %1 起的完整数据（最近 %2 小时保留完整数据，更早的抽稀）</source>
        <translation>Full data held in memory from %1 (the last %2 hours are kept in full, older data is thinned)</translation>
    </message>
    <message numerus="yes">
        <source>；为限制内存已舍弃最早的 %n 组数据</source>
        <translation>
            <numerusform>; the oldest %n sample set dropped to limit memory</numerusform>
            <numerusform>; the oldest %n sample sets dropped to limit memory</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>PackSeries</name>
    <message>
        <source>温度%1</source>
        <translation>Temperature %1</translation>
    </message>
    <message>
        <source>总电压</source>
        <translation>Pack voltage</translation>
    </message>
    <message>
        <source>总电流</source>
        <translation>Pack current</translation>
    </message>
    <message>
        <source>SOC</source>
        <translation>SOC</translation>
    </message>
    <message>
        <source>最高电压</source>
        <translation>Max cell voltage</translation>
    </message>
    <message>
        <source>最低电压</source>
        <translation>Min cell voltage</translation>
    </message>
    <message>
        <source>最大压差</source>
        <translation>Max cell voltage difference</translation>
    </message>
</context>
<context>
    <name>PackTimeChart</name>
    <message>
        <source>V / A / % / °C / 压差 mV</source>
        <translation>V / A / % / °C / difference mV</translation>
    </message>
    <message>
        <source>单体 mV</source>
        <translation>Cell mV</translation>
    </message>
    <message>
        <source>无数据</source>
        <translation>No data</translation>
    </message>
</context>
<context>
    <name>PageBase</name>
    <message>
        <source>发送请求</source>
        <translation>Send request</translation>
    </message>
    <message>
        <source>请先打开串口后再进行操作！</source>
        <translation>Open the serial port first!</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
</context>
<context>
    <name>ParamExchange</name>
    <message>
        <source>应答不完整</source>
        <translation>Incomplete answer</translation>
    </message>
    <message>
        <source>应答无法解码</source>
        <translation>The answer cannot be decoded</translation>
    </message>
    <message>
        <source>SN 码</source>
        <translation>the SN</translation>
    </message>
    <message>
        <source>版本</source>
        <translation>the versions</translation>
    </message>
    <message>
        <source>读回的值 %1 与写入的值 %2 不一致</source>
        <translation>The value read back, %1, differs from the value written, %2</translation>
    </message>
    <message>
        <source>写入后读回时：%1</source>
        <translation>Reading back after the write: %1</translation>
    </message>
    <message>
        <source>未进行</source>
        <translation>Not done</translation>
    </message>
    <message>
        <source>已读取</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>已写入并确认</source>
        <translation>Written and confirmed</translation>
    </message>
    <message>
        <source>板卡拒绝（%1）</source>
        <translation>Refused by the board (%1)</translation>
    </message>
    <message>
        <source>应答有误（%1）</source>
        <translation>Faulty answer (%1)</translation>
    </message>
    <message>
        <source>读回不同（%1）</source>
        <translation>Read back different (%1)</translation>
    </message>
    <message>
        <source>板卡无应答</source>
        <translation>The board does not answer</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
</context>
<context>
    <name>ParamKeys</name>
    <message>
        <source>%1：记录清除只接受值 1</source>
        <translation>%1: clearing the records only takes the value 1</translation>
    </message>
    <message>
        <source>%1：需要 %2 个数值（用逗号分隔）</source>
        <translation>%1: %2 values needed (separated by commas)</translation>
    </message>
    <message>
        <source>循环次数 %1</source>
        <translation>cycle count %1</translation>
    </message>
</context>
<context>
    <name>ParamRowPage</name>
    <message>
        <source>写入“记录清除”会清除保护板中保存的全部记录，且无法恢复。
确定要清除吗？</source>
        <translation>Writing &quot;Clear records&quot; erases every record stored on the board and cannot be undone.
Clear them?</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>读 取</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>写 入</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
</context>
<context>
    <name>ParamTable</name>
    <message>
        <source>唤醒方式：</source>
        <translation>Wake-up source:</translation>
    </message>
    <message>
        <source>无操作等待时间：</source>
        <translation>Idle wait time:</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>s</translation>
    </message>
    <message>
        <source>耗电更新时间：</source>
        <translation>Consumption update time:</translation>
    </message>
    <message>
        <source>分钟</source>
        <translation>min</translation>
    </message>
    <message>
        <source>待机定时唤醒检测：</source>
        <translation>Standby wake-up check:</translation>
    </message>
    <message>
        <source>按键唤醒时间：</source>
        <translation>Key wake-up time:</translation>
    </message>
    <message>
        <source>预放电电容充电：</source>
        <translation>Pre-discharge capacitor charge:</translation>
    </message>
    <message>
        <source>毫秒</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>温度探头个数：</source>
        <translation>Temperature sensors:</translation>
    </message>
    <message>
        <source>进入待机模式电压：</source>
        <translation>Standby mode voltage:</translation>
    </message>
    <message>
        <source>均衡开启电压值：</source>
        <translation>Balancing start voltage:</translation>
    </message>
    <message>
        <source>均衡开启压差值：</source>
        <translation>Balancing start difference:</translation>
    </message>
    <message>
        <source>开启压差</source>
        <translation>Start difference</translation>
    </message>
    <message>
        <source>恢复压差</source>
        <translation>Stop difference</translation>
    </message>
    <message>
        <source>充放电循环次数检测门限：</source>
        <translation>Cycle count thresholds:</translation>
    </message>
    <message>
        <source>检测上限值</source>
        <translation>Upper limit</translation>
    </message>
    <message>
        <source>检测下限值</source>
        <translation>Lower limit</translation>
    </message>
    <message>
        <source>循环次数</source>
        <translation>Cycles</translation>
    </message>
    <message>
        <source>记录清除：</source>
        <translation>Clear records:</translation>
    </message>
    <message>
        <source>充放电电流上下阀值：</source>
        <translation>Charge/discharge current thresholds:</translation>
    </message>
    <message>
        <source>充电检测电流</source>
        <translation>Charge detection current</translation>
    </message>
    <message>
        <source>充电释放电流</source>
        <translation>Charge release current</translation>
    </message>
    <message>
        <source>放电检测电流</source>
        <translation>Discharge detection current</translation>
    </message>
    <message>
        <source>放电释放电流</source>
        <translation>Discharge release current</translation>
    </message>
    <message>
        <source>预放电短路保护：</source>
        <translation>Pre-discharge short-circuit protection:</translation>
    </message>
    <message>
        <source>短路电流</source>
        <translation>Short-circuit current</translation>
    </message>
    <message>
        <source>短路延时</source>
        <translation>Short-circuit delay</translation>
    </message>
    <message>
        <source>短路保护：</source>
        <translation>Short-circuit protection:</translation>
    </message>
    <message>
        <source>微妙</source>
        <translation>µs</translation>
    </message>
    <message>
        <source>充电MOS高温报警：</source>
        <translation>Charge MOS over-temperature alarm:</translation>
    </message>
    <message>
        <source>充电MOS高温保护：</source>
        <translation>Charge MOS over-temperature protection:</translation>
    </message>
    <message>
        <source>充电MOS高温恢复：</source>
        <translation>Charge MOS over-temperature recovery:</translation>
    </message>
    <message>
        <source>放电MOS高温报警：</source>
        <translation>Discharge MOS over-temperature alarm:</translation>
    </message>
    <message>
        <source>放电MOS高温保护：</source>
        <translation>Discharge MOS over-temperature protection:</translation>
    </message>
    <message>
        <source>放电MOS高温恢复：</source>
        <translation>Discharge MOS over-temperature recovery:</translation>
    </message>
    <message>
        <source>充电过流报警：</source>
        <translation>Charge over-current alarm:</translation>
    </message>
    <message>
        <source>充电过流保护：</source>
        <translation>Charge over-current protection:</translation>
    </message>
    <message>
        <source>单节过充报警：</source>
        <translation>Cell over-voltage alarm:</translation>
    </message>
    <message>
        <source>单节过充保护：</source>
        <translation>Cell over-voltage protection:</translation>
    </message>
    <message>
        <source>单节过充恢复：</source>
        <translation>Cell over-voltage recovery:</translation>
    </message>
    <message>
        <source>总电压过充报警：</source>
        <translation>Pack over-voltage alarm:</translation>
    </message>
    <message>
        <source>总电压过充保护：</source>
        <translation>Pack over-voltage protection:</translation>
    </message>
    <message>
        <source>总电压过充恢复：</source>
        <translation>Pack over-voltage recovery:</translation>
    </message>
    <message>
        <source>充电高温报警：</source>
        <translation>Charge over-temperature alarm:</translation>
    </message>
    <message>
        <source>充电高温保护：</source>
        <translation>Charge over-temperature protection:</translation>
    </message>
    <message>
        <source>充电高温恢复：</source>
        <translation>Charge over-temperature recovery:</translation>
    </message>
    <message>
        <source>充电低温报警：</source>
        <translation>Charge under-temperature alarm:</translation>
    </message>
    <message>
        <source>充电低温保护：</source>
        <translation>Charge under-temperature protection:</translation>
    </message>
    <message>
        <source>充电低温恢复：</source>
        <translation>Charge under-temperature recovery:</translation>
    </message>
    <message>
        <source>放电过流报警：</source>
        <translation>Discharge over-current alarm:</translation>
    </message>
    <message>
        <source>放电过流保护：</source>
        <translation>Discharge over-current protection:</translation>
    </message>
    <message>
        <source>单节过放报警：</source>
        <translation>Cell under-voltage alarm:</translation>
    </message>
    <message>
        <source>单节过放保护：</source>
        <translation>Cell under-voltage protection:</translation>
    </message>
    <message>
        <source>单节过放恢复：</source>
        <translation>Cell under-voltage recovery:</translation>
    </message>
    <message>
        <source>总电压过放报警：</source>
        <translation>Pack under-voltage alarm:</translation>
    </message>
    <message>
        <source>总电压过放保护：</source>
        <translation>Pack under-voltage protection:</translation>
    </message>
    <message>
        <source>总电压过放恢复：</source>
        <translation>Pack under-voltage recovery:</translation>
    </message>
    <message>
        <source>放电高温报警：</source>
        <translation>Discharge over-temperature alarm:</translation>
    </message>
    <message>
        <source>放电高温保护：</source>
        <translation>Discharge over-temperature protection:</translation>
    </message>
    <message>
        <source>放电高温恢复：</source>
        <translation>Discharge over-temperature recovery:</translation>
    </message>
    <message>
        <source>放电低温报警：</source>
        <translation>Discharge under-temperature alarm:</translation>
    </message>
    <message>
        <source>放电低温保护：</source>
        <translation>Discharge under-temperature protection:</translation>
    </message>
    <message>
        <source>放电低温恢复：</source>
        <translation>Discharge under-temperature recovery:</translation>
    </message>
    <message>
        <source>预放电唤醒</source>
        <translation>Pre-discharge wake-up</translation>
    </message>
    <message>
        <source>按键唤醒</source>
        <translation>Key wake-up</translation>
    </message>
    <message>
        <source>充电器唤醒</source>
        <translation>Charger wake-up</translation>
    </message>
    <message>
        <source>通讯唤醒</source>
        <translation>Communication wake-up</translation>
    </message>
    <message>
        <source>锁控唤醒</source>
        <translation>Lock wake-up</translation>
    </message>
    <message>
        <source>其他唤醒</source>
        <translation>Other wake-up</translation>
    </message>
    <message>
        <source>充电电流</source>
        <translation>Charge current</translation>
    </message>
    <message>
        <source>放电电流</source>
        <translation>Discharge current</translation>
    </message>
</context>
<context>
    <name>Profile</name>
    <message>
        <source>对象没有结束（缺少 }）</source>
        <translation>Unterminated object (missing })</translation>
    </message>
    <message>
        <source>名称后缺少冒号</source>
        <translation>Missing colon after a name</translation>
    </message>
    <message>
        <source>列表没有结束（缺少 ]）</source>
        <translation>Unterminated list (missing ])</translation>
    </message>
    <message>
        <source>缺少逗号</source>
        <translation>Missing comma</translation>
    </message>
    <message>
        <source>无效的值</source>
        <translation>Invalid value</translation>
    </message>
    <message>
        <source>文件在数字处意外结束</source>
        <translation>The file ends unexpectedly inside a number</translation>
    </message>
    <message>
        <source>无效的数字</source>
        <translation>Invalid number</translation>
    </message>
    <message>
        <source>无效的转义序列</source>
        <translation>Invalid escape sequence</translation>
    </message>
    <message>
        <source>文本不是有效的 UTF-8</source>
        <translation>The text is not valid UTF-8</translation>
    </message>
    <message>
        <source>字符串没有结束（缺少引号）</source>
        <translation>Unterminated string (missing quote)</translation>
    </message>
    <message>
        <source>应为一个对象</source>
        <translation>An object was expected</translation>
    </message>
    <message>
        <source>嵌套层次过深</source>
        <translation>Nested too deeply</translation>
    </message>
    <message>
        <source>文档过大</source>
        <translation>The document is too large</translation>
    </message>
    <message>
        <source>结尾之后还有多余的内容</source>
        <translation>Extra content after the end</translation>
    </message>
    <message>
        <source>JSON 格式错误</source>
        <translation>JSON format error</translation>
    </message>
    <message>
        <source>%1：应为一个数值，不是列表</source>
        <translation>%1: a single number expected, not a list</translation>
    </message>
    <message>
        <source>%1：应为 %2 个数值的列表</source>
        <translation>%1: a list of %2 numbers expected</translation>
    </message>
    <message>
        <source>%1：列表应有 %2 个数值，文件中有 %3 个</source>
        <translation>%1: the list should hold %2 numbers; the file has %3</translation>
    </message>
    <message>
        <source>%1 的值不是整数</source>
        <translation>The value of %1 is not a whole number</translation>
    </message>
    <message>
        <source>不是参数文件：缺少格式版本 pylvexctl_profile</source>
        <translation>Not a parameter file: the format version pylvexctl_profile is missing</translation>
    </message>
    <message>
        <source>不支持的参数文件格式版本 %1（本程序读取版本 %2）</source>
        <translation>Unsupported parameter file format version %1 (this program reads version %2)</translation>
    </message>
    <message>
        <source>%1 应为文本</source>
        <translation>%1 should be text</translation>
    </message>
    <message>
        <source>board 应为 main 或 secondary，文件中是 %1</source>
        <translation>board should be main or secondary; the file has %1</translation>
    </message>
    <message>
        <source>不是参数文件：缺少 params</source>
        <translation>Not a parameter file: params is missing</translation>
    </message>
    <message>
        <source>未知参数：%1</source>
        <translation>Unknown parameter: %1</translation>
    </message>
    <message>
        <source>第 %1 行第 %2 列：%3</source>
        <translation>Line %1, column %2: %3</translation>
    </message>
    <message>
        <source>JSON 语法错误，%1</source>
        <translation>JSON syntax error, %1</translation>
    </message>
    <message>
        <source>不是参数文件：内容不是 JSON 对象</source>
        <translation>Not a parameter file: the content is not a JSON object</translation>
    </message>
    <message>
        <source>无法读取参数文件 %1：%2</source>
        <translation>Cannot read the parameter file %1: %2</translation>
    </message>
    <message>
        <source>%1：文件过大（%2 字节），不是参数文件</source>
        <translation>%1: the file is too large (%2 bytes) for a parameter file</translation>
    </message>
    <message>
        <source>文件过大，不是参数文件</source>
        <translation>The file is too large for a parameter file</translation>
    </message>
    <message>
        <source>参数文件保存自从板，现在选择的是主板</source>
        <translation>The parameter file was saved from the secondary board; the main board is chosen now</translation>
    </message>
    <message>
        <source>参数文件保存自主板，现在选择的是从板</source>
        <translation>The parameter file was saved from the main board; the secondary board is chosen now</translation>
    </message>
    <message>
        <source>参数文件保存自 SN 为 %1 的板卡，这块板卡的 SN 是 %2</source>
        <translation>The parameter file was saved from the board with SN %1; this board has SN %2</translation>
    </message>
    <message>
        <source>无法写入 %1：%2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>板卡没有给出%1，参数文件中不记录</source>
        <translation>The board did not give %1; not kept in the parameter file</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>ProfileBar</name>
    <message>
        <source>保存到文件</source>
        <translation>Save to file</translation>
    </message>
    <message>
        <source>与文件比较</source>
        <translation>Compare with file</translation>
    </message>
    <message>
        <source>应用文件</source>
        <translation>Apply file</translation>
    </message>
    <message>
        <source>读取两个门限页面的全部参数，连同板卡的 SN、版本和时间保存到参数文件</source>
        <translation>Read every parameter of both threshold pages and save them to a parameter file with the board&apos;s SN, versions and the time</translation>
    </message>
    <message>
        <source>读取板卡的参数，逐项与参数文件比较</source>
        <translation>Read the board&apos;s parameters and compare them one by one with a parameter file</translation>
    </message>
    <message>
        <source>与参数文件比较后，把勾选的参数写入板卡并读回确认</source>
        <translation>Compare with a parameter file, then write the ticked parameters to the board and read them back to confirm</translation>
    </message>
    <message>
        <source>请先打开串口后再进行操作！</source>
        <translation>Open the serial port first!</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>保存参数文件</source>
        <translation>Save parameter file</translation>
    </message>
    <message>
        <source>选择参数文件</source>
        <translation>Choose parameter file</translation>
    </message>
    <message>
        <source>参数文件无法使用，板卡和页面都没有改动。
%1</source>
        <translation>The parameter file cannot be used; neither the board nor the pages were changed.
%1</translation>
    </message>
    <message>
        <source>%1：文件中没有可以比较的参数</source>
        <translation>%1: the file holds no parameters to compare</translation>
    </message>
    <message>
        <source>正在读取板卡的参数…</source>
        <translation>Reading the board&apos;s parameters…</translation>
    </message>
    <message>
        <source>正在读取板卡的参数 %1/%2…</source>
        <translation>Reading the board&apos;s parameters %1/%2…</translation>
    </message>
    <message>
        <source>有参数读取失败，没有写入 %1</source>
        <translation>Reading some parameters failed; %1 not written</translation>
    </message>
    <message>
        <source>（中止：%1）</source>
        <translation> (stopped: %1)</translation>
    </message>
    <message>
        <source>已把 %1 个参数保存到 %2</source>
        <translation>Saved %1 parameters to %2</translation>
    </message>
    <message>
        <source>读取中止：%1</source>
        <translation>Reading stopped: %1</translation>
    </message>
</context>
<context>
    <name>ProfileCompareDialog</name>
    <message>
        <source>应用参数文件 %1</source>
        <translation>Apply parameter file %1</translation>
    </message>
    <message>
        <source>与参数文件比较 %1</source>
        <translation>Compare with parameter file %1</translation>
    </message>
    <message>
        <source>页面</source>
        <translation>Page</translation>
    </message>
    <message>
        <source>参数</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>单位</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>板卡值</source>
        <translation>Board value</translation>
    </message>
    <message>
        <source>文件值</source>
        <translation>File value</translation>
    </message>
    <message>
        <source>比较</source>
        <translation>Comparison</translation>
    </message>
    <message>
        <source>写入结果</source>
        <translation>Write result</translation>
    </message>
    <message>
        <source>只显示不同项</source>
        <translation>Show differences only</translation>
    </message>
    <message>
        <source>写入勾选的参数</source>
        <translation>Write ticked parameters</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>不同</source>
        <translation>Different</translation>
    </message>
    <message>
        <source>相同</source>
        <translation>Same</translation>
    </message>
    <message>
        <source>板卡未应答</source>
        <translation>Board did not answer</translation>
    </message>
    <message>
        <source>板卡未给出（%1）</source>
        <translation>Not given by the board (%1)</translation>
    </message>
    <message>
        <source>共 %1 个参数：%2 个不同，%3 个板卡未给出值</source>
        <translation>%1 parameters: %2 different, %3 without a value from the board</translation>
    </message>
    <message>
        <source>请先勾选需要写入的参数！</source>
        <translation>Tick the parameters to write first!</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>请先打开串口后再进行操作！</source>
        <translation>Open the serial port first!</translation>
    </message>
    <message>
        <source>将把参数文件中的 %1 个参数写入板卡，每个写入后读回确认。</source>
        <translation>%1 parameters of the parameter file will be written to the board, each read back to confirm.</translation>
    </message>
    <message>
        <source>注意：%1</source>
        <translation>Note: %1</translation>
    </message>
    <message>
        <source>确定要写入吗？</source>
        <translation>Write them?</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>等待写入</source>
        <translation>Waiting to write</translation>
    </message>
    <message>
        <source>正在写入 %1 个参数…</source>
        <translation>Writing %1 parameters…</translation>
    </message>
    <message>
        <source>无法开始写入：串口没有打开</source>
        <translation>Cannot start writing: the serial port is not open</translation>
    </message>
    <message>
        <source>写入完成：%1 个已确认，%2 个被板卡拒绝，%3 个读回不同，%4 个未完成</source>
        <translation>Writing done: %1 confirmed, %2 refused by the board, %3 read back different, %4 not done</translation>
    </message>
    <message>
        <source>（中止：%1）</source>
        <translation> (stopped: %1)</translation>
    </message>
    <message>
        <source>已取消</source>
        <translation>Cancelled</translation>
    </message>
</context>
<context>
    <name>ProfileRunner</name>
    <message>
        <source>串口已关闭</source>
        <translation>The serial port was closed</translation>
    </message>
    <message>
        <source>已切换到另一块板卡</source>
        <translation>Switched to another board</translation>
    </message>
    <message>
        <source>请求无法发送</source>
        <translation>The request could not be sent</translation>
    </message>
    <message>
        <source>板卡无应答</source>
        <translation>The board does not answer</translation>
    </message>
</context>
<context>
    <name>PylvexApp</name>
    <message>
        <source>Pylvex 已在运行，已将它的窗口调到前面。</source>
        <translation>Pylvex is already running; its window was brought to the front.</translation>
    </message>
    <message>
        <source>Pylvex 已在运行，但没有应答。</source>
        <translation>Pylvex is already running but does not answer.</translation>
    </message>
    <message>
        <source>本次启动给出的串口 %1 没有打开；请在已运行的窗口中选择它。</source>
        <translation>The serial port %1 given for this start was not opened; choose it in the running window.</translation>
    </message>
    <message>
        <source>本次启动的 --demo 没有生效。</source>
        <translation>--demo had no effect for this start.</translation>
    </message>
    <message>
        <source>无法打开串口 %1：%2
详见“系统日志”页。
</source>
        <translation>Cannot open the serial port %1: %2
See the &quot;System log&quot; page.
</translation>
    </message>
    <message>
        <source>无法启动模拟保护板：%1
</source>
        <translation>Cannot start the simulated protection board: %1
</translation>
    </message>
</context>
<context>
    <name>RepeaterPage</name>
    <message>
        <source>在线升级：</source>
        <translation>Online upgrade:</translation>
    </message>
    <message>
        <source>支持通讯方式：</source>
        <translation>Supported links:</translation>
    </message>
    <message>
        <source>软硬件版本号：</source>
        <translation>Firmware/hardware version:</translation>
    </message>
    <message>
        <source>软件版本</source>
        <translation>Firmware version</translation>
    </message>
    <message>
        <source>硬件版本</source>
        <translation>Hardware version</translation>
    </message>
    <message>
        <source>命令透穿：</source>
        <translation>Command pass-through:</translation>
    </message>
    <message>
        <source>透穿命令</source>
        <translation>Pass-through command</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>请选择升级文件</source>
        <translation>Choose the upgrade file</translation>
    </message>
    <message>
        <source>Binary Files (*.bin *.hex);;All Files (*)</source>
        <translation>Binary Files (*.bin *.hex);;All Files (*)</translation>
    </message>
    <message>
        <source>升级请求已发出,等待响应！</source>
        <translation>Upgrade request sent, waiting for the answer!</translation>
    </message>
    <message>
        <source>请求在线升级，收到响应！</source>
        <translation>Online upgrade requested, answer received!</translation>
    </message>
    <message>
        <source>请双击选择升级文件！</source>
        <translation>Double-click to choose the upgrade file!</translation>
    </message>
    <message>
        <source>请输入有效的HEX格式!
范围：(&apos;0-9&apos;,&apos;a-f&apos;,&apos;A-F&apos;)
字节间可以用空格隔开</source>
        <translation>Enter valid HEX!
Range: (&apos;0-9&apos;,&apos;a-f&apos;,&apos;A-F&apos;)
Bytes may be separated by spaces</translation>
    </message>
    <message>
        <source>透穿命令最多%1个字节，当前%2个字节！</source>
        <translation>A pass-through command holds at most %1 bytes, this one has %2!</translation>
    </message>
    <message>
        <source>中继器信息</source>
        <translation>Repeater</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>ResistanceEntryDialog</name>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>参数不能为空！</source>
        <translation>The value must not be empty!</translation>
    </message>
    <message>
        <source>请输入有效的十六进制字符串！</source>
        <translation>Enter a valid hexadecimal string!</translation>
    </message>
    <message>
        <source>参数的有效范围是 %1 至 %2 之间的整数！</source>
        <translation>The value must be an integer from %1 to %2!</translation>
    </message>
</context>
<context>
    <name>RowPageBase</name>
    <message>
        <source>无应答（自 %1）</source>
        <translation>No answer (since %1)</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>读 取</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>写 入</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>写入</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>参数为只读！</source>
        <translation>The parameter is read-only!</translation>
    </message>
    <message>
        <source>读取</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>请选中需要修改的参数，或所选都是只读参数!</source>
        <translation>Select the parameters to change; the ones selected are all read-only!</translation>
    </message>
    <message>
        <source>请先选中需要读取的参数!</source>
        <translation>Select the parameters to read first!</translation>
    </message>
    <message>
        <source>成功</source>
        <translation>Succeeded</translation>
    </message>
    <message>
        <source>双击勾选框：发送这一行的读取</source>
        <translation>Double-click the check box: send this row&apos;s read</translation>
    </message>
    <message>
        <source>双击指示灯：发送这一行的写入（执行）</source>
        <translation>Double-click the lamp: send this row&apos;s write (execute)</translation>
    </message>
</context>
<context>
    <name>RxOps</name>
    <message>
        <source>响应时，页面处于非活动状态！</source>
        <translation>The page was not active when the answer came!</translation>
    </message>
</context>
<context>
    <name>SendFileDialog</name>
    <message>
        <source>文件发送</source>
        <translation>Send file</translation>
    </message>
    <message>
        <source>载入文件</source>
        <translation>Load file</translation>
    </message>
    <message>
        <source>发送文件</source>
        <translation>Send file</translation>
    </message>
    <message>
        <source>停止发送</source>
        <translation>Stop sending</translation>
    </message>
    <message>
        <source>&gt;&gt; 文件大小：%1 B</source>
        <translation>&gt;&gt; File size: %1 B</translation>
    </message>
    <message>
        <source>&lt;&lt; 正在发送...</source>
        <translation>&lt;&lt; Sending...</translation>
    </message>
    <message>
        <source>&gt;&gt; %1 载入成功</source>
        <translation>&gt;&gt; %1 loaded</translation>
    </message>
    <message>
        <source>&gt;&gt; 发送成功！</source>
        <translation>&gt;&gt; Sent!</translation>
    </message>
    <message>
        <source>&gt;&gt; Error：文件不存在</source>
        <translation>&gt;&gt; Error: the file does not exist</translation>
    </message>
    <message>
        <source>&gt;&gt; Error：文件无法打开：%1</source>
        <translation>&gt;&gt; Error: cannot open the file: %1</translation>
    </message>
    <message>
        <source>&gt;&gt; Error：读取文件失败，发送中止（已发送 %1 B）</source>
        <translation>&gt;&gt; Error: reading the file failed; sending stopped (%1 B sent)</translation>
    </message>
    <message>
        <source>&gt;&gt; Error：链路未接收数据，发送中止（已发送 %1 B）</source>
        <translation>&gt;&gt; Error: the link takes no data; sending stopped (%1 B sent)</translation>
    </message>
    <message>
        <source>&gt;&gt; Error：链路已断开，发送中止（已发送 %1 B）</source>
        <translation>&gt;&gt; Error: the link is closed; sending stopped (%1 B sent)</translation>
    </message>
    <message>
        <source>&gt;&gt; 发送已停止（已发送 %1 B）</source>
        <translation>&gt;&gt; Sending stopped (%1 B sent)</translation>
    </message>
    <message>
        <source>--------------------我是分隔线--------------------</source>
        <translation>--------------------------------------------------</translation>
    </message>
    <message>
        <source>文本文件 (*.txt);;所有文件 (*)</source>
        <translation>Text files (*.txt);;All files (*)</translation>
    </message>
</context>
<context>
    <name>SimOptions</name>
    <message>
        <source>显示版本号并退出</source>
        <translation>Show the version and exit</translation>
    </message>
    <message>
        <source>--clock-offset 的值无效：板卡时钟只能在 2000 年至 2255 年之间，现在的有效范围是 %1 至 %2 秒</source>
        <translation>Invalid --clock-offset: the board clock only runs from the year 2000 to 2255; the valid range now is %1 to %2 seconds</translation>
    </message>
    <message>
        <source>无法打开设备：%1</source>
        <translation>Cannot open the device: %1</translation>
    </message>
    <message>
        <source>模拟板已就绪，请在上位机中打开 %1</source>
        <translation>Simulated board ready; open %1 in the host tool</translation>
    </message>
    <message>
        <source>（含副电板）</source>
        <translation> (with a secondary board)</translation>
    </message>
    <message>
        <source>（经中继器）</source>
        <translation> (behind a repeater)</translation>
    </message>
    <message>
        <source>链路中断：%1</source>
        <translation>Link lost: %1</translation>
    </message>
    <message>
        <source>已停止，共处理 %1 个请求</source>
        <translation>Stopped after %1 requests</translation>
    </message>
    <message>
        <source>每第 N 个应答不发送（丢帧）</source>
        <translation>Do not send every Nth answer (dropped frame)</translation>
    </message>
    <message>
        <source>每第 N 个应答的校验码错误</source>
        <translation>Wrong checksum in every Nth answer</translation>
    </message>
    <message>
        <source>每第 N 个应答多带一个数据字节（长度错误）</source>
        <translation>One extra data byte in every Nth answer (wrong length)</translation>
    </message>
    <message>
        <source>每个应答只带这个非零错误码（可写 0x..）</source>
        <translation>Every answer carries only this non-zero error code (0x.. allowed)</translation>
    </message>
    <message>
        <source>每个应答前插入 N 个干扰字节</source>
        <translation>Put N noise bytes before every answer</translation>
    </message>
    <message>
        <source>应答逐字节写出，字节间隔 MS 毫秒</source>
        <translation>Write answers byte by byte, MS milliseconds apart</translation>
    </message>
    <message>
        <source>每个应答延迟 MS 毫秒后写出</source>
        <translation>Delay every answer by MS milliseconds</translation>
    </message>
    <message>
        <source>板卡时钟与电脑时钟相差 S 秒（默认 -180）</source>
        <translation>The board clock differs from the computer&apos;s by S seconds (default -180)</translation>
    </message>
    <message>
        <source>打开串口设备时的波特率（默认 9600）</source>
        <translation>Baud rate when a serial device is opened (default 9600)</translation>
    </message>
    <message>
        <source>日志读取请求只应答这个非零错误码（可写 0x..）</source>
        <translation>Log read requests answer only this non-zero error code (0x.. allowed)</translation>
    </message>
    <message>
        <source>SOC 学习进行到第 N 阶段（1-10）时失败</source>
        <translation>SOC learning fails at stage N (1-10)</translation>
    </message>
    <message>
        <source>命令升级：拒绝升级请求，原因码 CODE</source>
        <translation>Command upgrade: refuse the upgrade request with reason code CODE</translation>
    </message>
    <message>
        <source>命令升级：固件信息校验应答状态 CODE</source>
        <translation>Command upgrade: firmware information check answers with state CODE</translation>
    </message>
    <message>
        <source>命令升级：擦除 FLASH 失败</source>
        <translation>Command upgrade: erasing FLASH fails</translation>
    </message>
    <message>
        <source>命令升级：擦除应答的块长度码（2=128，3=244，其他=64；默认 2）</source>
        <translation>Command upgrade: block length code of the erase answer (2=128, 3=244, other=64; default 2)</translation>
    </message>
    <message>
        <source>命令升级：第 N 块第一次写入应答校验错误</source>
        <translation>Command upgrade: the first write of block N answers with a check error</translation>
    </message>
    <message>
        <source>命令升级：第 N 块前两次写入都应答校验错误</source>
        <translation>Command upgrade: the first two writes of block N answer with a check error</translation>
    </message>
    <message>
        <source>命令升级：第 N 块写 FLASH 失败</source>
        <translation>Command upgrade: writing block N to FLASH fails</translation>
    </message>
    <message>
        <source>命令升级：第 N 块应答块编号异常</source>
        <translation>Command upgrade: the answer to block N has a wrong block number</translation>
    </message>
    <message>
        <source>命令升级：查询升级结果应答失败</source>
        <translation>Command upgrade: the upgrade result query answers with failure</translation>
    </message>
    <message>
        <source>命令升级：不发送应答步骤 STEP（2、4 … 10）的应答</source>
        <translation>Command upgrade: do not answer step STEP (2, 4 … 10)</translation>
    </message>
    <message>
        <source>命令升级：应答步骤 STEP 的应答发送两次</source>
        <translation>Command upgrade: send the answer of step STEP twice</translation>
    </message>
    <message>
        <source>YModem：对第 N 个数据块回 NAK</source>
        <translation>YModem: answer block N with NAK</translation>
    </message>
    <message>
        <source>YModem：收到第 N 个数据块时取消传输（CAN）</source>
        <translation>YModem: cancel the transfer (CAN) at block N</translation>
    </message>
    <message>
        <source>YModem：第 N 个数据块的 ACK 丢失一次</source>
        <translation>YModem: the ACK of block N is lost once</translation>
    </message>
    <message>
        <source>YModem：开始时连续发送 N 个字符 C（默认 1）</source>
        <translation>YModem: send N characters C at the start (default 1)</translation>
    </message>
    <message>
        <source>启动 S 秒后板卡不再应答（与 --silent-for 一起使用可恢复）</source>
        <translation>The board stops answering S seconds after the start (with --silent-for it recovers)</translation>
    </message>
    <message>
        <source>不应答持续 S 秒后恢复应答（默认一直不应答）</source>
        <translation>Answer again after S seconds of silence (default: never)</translation>
    </message>
    <message>
        <source>SOC 学习失败时的错误码（默认 0x51）</source>
        <translation>Error code of a failed SOC learning (default 0x51)</translation>
    </message>
    <message>
        <source>要打开的串口设备；省略时创建伪终端</source>
        <translation>Serial device to open; without it a pseudo-terminal is created</translation>
    </message>
    <message>
        <source>同一链路上再模拟一块副电板（链路字节 0xD3）</source>
        <translation>Simulate a secondary board on the same link too (link byte 0xD3)</translation>
    </message>
    <message>
        <source>板前接一个中继器：应答 0x01 类命令，其余命令转给保护板</source>
        <translation>A repeater in front of the board: it answers the 0x01 commands and passes the others on</translation>
    </message>
    <message>
        <source>拒绝进入内部调试模式（应答错误码）</source>
        <translation>Refuse the internal debug mode (answer with an error code)</translation>
    </message>
    <message>
        <source>相同请求只应答第二次</source>
        <translation>Answer a request only the second time it comes</translation>
    </message>
    <message>
        <source>不支持批量状态读取（应答错误码）</source>
        <translation>No batch status read (answer with an error code)</translation>
    </message>
    <message>
        <source>日志读取请求只应答确认帧，不发送日志数据</source>
        <translation>Log read requests get only the acknowledgement, no log data</translation>
    </message>
    <message>
        <source>在标准错误输出每个收发的十六进制字节</source>
        <translation>Every byte sent and received on standard error, in hexadecimal</translation>
    </message>
    <message>
        <source>电池模型时间倍速（默认 1）</source>
        <translation>Time factor of the battery model (default 1)</translation>
    </message>
    <message>
        <source>随机数种子（默认 1）</source>
        <translation>Random seed (default 1)</translation>
    </message>
    <message>
        <source>升级收到的固件映像写入这个文件</source>
        <translation>Write the firmware image received by an upgrade to this file</translation>
    </message>
    <message>
        <source>伪终端另有一个固定路径：在 PATH 处建立指向它的符号链接（重启模拟板后路径不变）</source>
        <translation>A fixed path for the pseudo-terminal: a symbolic link to it at PATH (the path stays when the board restarts)</translation>
    </message>
    <message>
        <source>消息和帮助的语言：zh（中文）或 en（英文）</source>
        <translation>Language of messages and help: zh (Chinese) or en (English)</translation>
    </message>
    <message>
        <source>--%1 的值无效，有效范围是 %2 至 %3</source>
        <translation>Invalid value for --%1: the valid range is %2 to %3</translation>
    </message>
    <message>
        <source>--speed 的值无效，应大于 0 且不超过 10000</source>
        <translation>Invalid --speed: must be above 0 and at most 10000</translation>
    </message>
    <message>
        <source>--seed 的值无效</source>
        <translation>Invalid --seed</translation>
    </message>
    <message>
        <source>只能给出一个串口设备</source>
        <translation>Give only one serial device</translation>
    </message>
    <message>
        <source>--link 只用于伪终端，不能与串口设备一起给出</source>
        <translation>--link is only for a pseudo-terminal, not together with a serial device</translation>
    </message>
    <message>
        <source>模拟保护板：在伪终端（默认，打印设备路径）或给定的串口设备上应答上位机的请求。
收到 SIGTERM 或 SIGINT 时正常退出。</source>
        <translation>Simulated protection board: answers the host tool&apos;s requests on a pseudo-terminal (default; its path is printed) or on the given serial device.
Ends normally on SIGTERM or SIGINT.</translation>
    </message>
    <message>
        <source>升级成功后板卡重启，S 秒内不应答</source>
        <translation>After a successful upgrade the board restarts and does not answer for S seconds</translation>
    </message>
    <message>
        <source>无法读取抓包文件 %1：%2</source>
        <translation>Cannot read the capture file %1: %2</translation>
    </message>
    <message>
        <source>抓包文件 %1 中没有可回放的请求</source>
        <translation>The capture file %1 holds no requests to replay</translation>
    </message>
    <message>
        <source>抓包文件 %1 无法读取（%2），其中没有可回放的请求</source>
        <translation>The capture file %1 cannot be read (%2); it holds no requests to replay</translation>
    </message>
    <message>
        <source>按抓包文件（pcapng）中记录的应答回答相同的请求；文件中没有的请求由模拟板应答</source>
        <translation>Answer requests with the answers recorded in a capture file (pcapng); requests not in the file are answered by the simulated board</translation>
    </message>
    <message>
        <source>与 --replay 一起使用：文件中没有的请求不应答</source>
        <translation>With --replay: do not answer requests that are not in the file</translation>
    </message>
    <message>
        <source>主板的 SN 码（可打印的 ASCII 字符，不含空格，最多 32 个；默认是内置的 SN 码）</source>
        <translation>The main board&apos;s SN (printable ASCII characters, no spaces, at most 32; the built-in SN by default)</translation>
    </message>
    <message>
        <source>--replay-strict 需要与 --replay 一起使用</source>
        <translation>--replay-strict needs --replay</translation>
    </message>
    <message>
        <source>--sn 的值无效：应为 1 至 %1 个可打印的 ASCII 字符（不含空格）</source>
        <translation>Invalid --sn: 1 to %1 printable ASCII characters expected (no spaces)</translation>
    </message>
</context>
<context>
    <name>SocLearning</name>
    <message>
        <source>电池补电阶段</source>
        <translation>Top-up charge stage</translation>
    </message>
    <message>
        <source>容量实测阶段</source>
        <translation>Capacity measurement stage</translation>
    </message>
    <message>
        <source>电池充满阶段</source>
        <translation>Full charge stage</translation>
    </message>
    <message>
        <source>学习开路电压阶段</source>
        <translation>Open-circuit voltage learning stage</translation>
    </message>
    <message>
        <source>学习充电内阻阶段</source>
        <translation>Charge internal resistance learning stage</translation>
    </message>
    <message>
        <source>学习放电内阻阶段</source>
        <translation>Discharge internal resistance learning stage</translation>
    </message>
    <message>
        <source>验证充电SOC阶段</source>
        <translation>Charge SOC verification stage</translation>
    </message>
    <message>
        <source>验证放电SOC阶段</source>
        <translation>Discharge SOC verification stage</translation>
    </message>
    <message>
        <source>SOC学习完毕</source>
        <translation>SOC learning finished</translation>
    </message>
    <message>
        <source>实测阶段</source>
        <translation>Measurement stage</translation>
    </message>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
    <message>
        <source>电池补电阶段充电中断错误</source>
        <translation>Top-up charge stage: charging interrupted</translation>
    </message>
    <message>
        <source>电池容量测试放电中断错误</source>
        <translation>Capacity test: discharging interrupted</translation>
    </message>
    <message>
        <source>电池充满阶段充电中断错误</source>
        <translation>Full charge stage: charging interrupted</translation>
    </message>
    <message>
        <source>学习开路电压阶段放电中断错误</source>
        <translation>Open-circuit voltage learning: discharging interrupted</translation>
    </message>
    <message>
        <source>学习充电内阻充电中断错误</source>
        <translation>Charge internal resistance learning: charging interrupted</translation>
    </message>
    <message>
        <source>学习放电内阻放电中断错误</source>
        <translation>Discharge internal resistance learning: discharging interrupted</translation>
    </message>
    <message>
        <source>验证充电SOC充电中断错误</source>
        <translation>Charge SOC verification: charging interrupted</translation>
    </message>
    <message>
        <source>验证放电SOC放电中断错误</source>
        <translation>Discharge SOC verification: discharging interrupted</translation>
    </message>
    <message>
        <source>电池容量测试初始电压不对</source>
        <translation>Capacity test: wrong start voltage</translation>
    </message>
    <message>
        <source>有未学习到的开路电压错误</source>
        <translation>Open-circuit voltages not learned</translation>
    </message>
    <message>
        <source>SOC为0的开路电压未学习到</source>
        <translation>Open-circuit voltage at SOC 0 not learned</translation>
    </message>
    <message>
        <source>SOC学习初始电压不合格</source>
        <translation>SOC learning: start voltage out of range</translation>
    </message>
    <message>
        <source>有未学习到的充电内阻错误</source>
        <translation>Charge internal resistances not learned</translation>
    </message>
    <message>
        <source>充满后SOC未到100</source>
        <translation>SOC below 100 after full charge</translation>
    </message>
    <message>
        <source>学习充电内阻初始电压不对</source>
        <translation>Charge internal resistance learning: wrong start voltage</translation>
    </message>
    <message>
        <source>有未学习到的放电内阻错误</source>
        <translation>Discharge internal resistances not learned</translation>
    </message>
    <message>
        <source>充到截止电压后SOC未到100</source>
        <translation>SOC below 100 at the charge cut-off voltage</translation>
    </message>
    <message>
        <source>学习放电内阻初始电压不对</source>
        <translation>Discharge internal resistance learning: wrong start voltage</translation>
    </message>
    <message>
        <source>有未验证到的充电SOC</source>
        <translation>Charge SOC not verified</translation>
    </message>
    <message>
        <source>放到截止电压后积分SOC未到0</source>
        <translation>Integrated SOC above 0 at the discharge cut-off voltage</translation>
    </message>
    <message>
        <source>验证充电SOC初始电压错误</source>
        <translation>Charge SOC verification: wrong start voltage</translation>
    </message>
    <message>
        <source>有未验证到的放电SOC</source>
        <translation>Discharge SOC not verified</translation>
    </message>
    <message>
        <source>验证放电SOC初始电压错误</source>
        <translation>Discharge SOC verification: wrong start voltage</translation>
    </message>
    <message>
        <source>起始电压</source>
        <translation>Start voltage</translation>
    </message>
    <message>
        <source>mV</source>
        <translation>mV</translation>
    </message>
    <message>
        <source>结束电压</source>
        <translation>End voltage</translation>
    </message>
    <message>
        <source>SOC精度</source>
        <translation>SOC accuracy</translation>
    </message>
    <message>
        <source>%</source>
        <translation>%</translation>
    </message>
    <message>
        <source>充满电流检测值</source>
        <translation>Full-charge current threshold</translation>
    </message>
    <message>
        <source>mA</source>
        <translation>mA</translation>
    </message>
    <message>
        <source>标准电流</source>
        <translation>Standard current</translation>
    </message>
    <message>
        <source>充放电允许误差电压</source>
        <translation>Charge/discharge voltage tolerance</translation>
    </message>
    <message>
        <source>内阻校准步进</source>
        <translation>Internal resistance calibration step</translation>
    </message>
    <message>
        <source>毫欧</source>
        <translation>mΩ</translation>
    </message>
    <message>
        <source>内阻序号</source>
        <translation>Internal resistance No.</translation>
    </message>
    <message>
        <source>学习充电电流</source>
        <translation>Learning charge current</translation>
    </message>
    <message>
        <source>学习放电电流</source>
        <translation>Learning discharge current</translation>
    </message>
    <message>
        <source>上传间隔</source>
        <translation>Upload interval</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>s</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>State</translation>
    </message>
    <message>
        <source>电压(mV)</source>
        <translation>Voltage (mV)</translation>
    </message>
    <message>
        <source>电流(mA)</source>
        <translation>Current (mA)</translation>
    </message>
    <message>
        <source>V-SOC</source>
        <translation>V-SOC</translation>
    </message>
    <message>
        <source>SOC</source>
        <translation>SOC</translation>
    </message>
    <message>
        <source>SOC-A</source>
        <translation>SOC-A</translation>
    </message>
    <message>
        <source>容量(maH)</source>
        <translation>Capacity (mAh)</translation>
    </message>
    <message>
        <source>测试</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>主副电</source>
        <translation>Main/secondary</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>主电</source>
        <translation>Main board</translation>
    </message>
    <message>
        <source>副电</source>
        <translation>Secondary board</translation>
    </message>
</context>
<context>
    <name>SocLearningPage</name>
    <message>
        <source>调试SOC学习</source>
        <translation>SOC learning (debug)</translation>
    </message>
    <message>
        <source>写入SOC配置：</source>
        <translation>Write SOC configuration:</translation>
    </message>
    <message>
        <source>启动S0C学习：</source>
        <translation>Start SOC learning:</translation>
    </message>
    <message>
        <source>开始阶段</source>
        <translation>Start stage</translation>
    </message>
    <message>
        <source>结束阶段</source>
        <translation>End stage</translation>
    </message>
    <message>
        <source>错误状态</source>
        <translation>Error state</translation>
    </message>
    <message>
        <source>读取SOC配置</source>
        <translation>Read SOC configuration</translation>
    </message>
    <message>
        <source>写入SOC配置</source>
        <translation>Write SOC configuration</translation>
    </message>
    <message>
        <source>启动SOC学习</source>
        <translation>Start SOC learning</translation>
    </message>
    <message>
        <source>停止SOC学习</source>
        <translation>Stop SOC learning</translation>
    </message>
    <message>
        <source>导出SOC学习记录</source>
        <translation>Export SOC learning record</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>SOC 学习记录为空，没有可导出的内容！</source>
        <translation>The SOC learning record is empty: nothing to export!</translation>
    </message>
    <message>
        <source>导出 SOC 学习记录成功，是否打开文件？</source>
        <translation>SOC learning record exported. Open the file?</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
</context>
<context>
    <name>StartupOptions</name>
    <message>
        <source>
日志、定时保存的记录和崩溃文件保存在：
  %1
设置保存在：
  %2
</source>
        <translation>
Logs, timed recordings and crash files are kept in:
  %1
Settings are kept in:
  %2
</translation>
    </message>
    <message>
        <source>用法：%1 [选项]
电池管理系统保护板上位机。

选项：
  --port &lt;设备&gt;   启动时打开该串口设备（如 ttyUSB0 或 /dev/pts/3），
                  代替上次使用的串口；该设置照常保存。
  --demo          启动内置的模拟保护板并打开它（无需硬件）。
  --lang zh|en    界面语言：中文或英文（默认是窗口中选择的语言，
                  未选择时跟随系统的区域设置）。
  -h, --help      显示本帮助并退出。
  -v, --version   显示版本号并退出。
</source>
        <translation>Usage: %1 [options]
Host tool for a battery management system protection board.

Options:
  --port &lt;device&gt; Open this serial device at start (e.g. ttyUSB0 or /dev/pts/3)
                  instead of the last used one; the setting is stored as usual.
  --demo          Start the built-in simulated protection board and open it (no hardware needed).
  --lang zh|en    Language: Chinese or English (default: the language chosen in the window,
                  else the system&apos;s locale).
  -h, --help      Show this help and exit.
  -v, --version   Show the version and exit.
</translation>
    </message>
    <message>
        <source>
请使用 %1 --help 查看用法。
</source>
        <translation>
Run %1 --help for the usage.
</translation>
    </message>
    <message>
        <source>未知参数：%1</source>
        <translation>Unknown argument: %1</translation>
    </message>
    <message>
        <source>--port 只能指定一次。</source>
        <translation>--port may be given only once.</translation>
    </message>
    <message>
        <source>--port 需要一个串口设备名。</source>
        <translation>--port needs a serial device name.</translation>
    </message>
    <message>
        <source>--demo 与 --port 不能同时使用。</source>
        <translation>--demo and --port cannot be used together.</translation>
    </message>
</context>
<context>
    <name>StatusDecode</name>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
    <message>
        <source>过充保护</source>
        <translation>Cell over-voltage protection</translation>
    </message>
    <message>
        <source>过放保护</source>
        <translation>Cell under-voltage protection</translation>
    </message>
    <message>
        <source>充电过流保护</source>
        <translation>Charge over-current protection</translation>
    </message>
    <message>
        <source>放电过流保护</source>
        <translation>Discharge over-current protection</translation>
    </message>
    <message>
        <source>充电低温保护</source>
        <translation>Charge under-temperature protection</translation>
    </message>
    <message>
        <source>充电高温保护</source>
        <translation>Charge over-temperature protection</translation>
    </message>
    <message>
        <source>放电低温保护</source>
        <translation>Discharge under-temperature protection</translation>
    </message>
    <message>
        <source>放电高温保护</source>
        <translation>Discharge over-temperature protection</translation>
    </message>
    <message>
        <source>短路保护</source>
        <translation>Short-circuit protection</translation>
    </message>
    <message>
        <source>充电MOS高温保护</source>
        <translation>Charge MOS over-temperature protection</translation>
    </message>
    <message>
        <source>放电MOS高温保护</source>
        <translation>Discharge MOS over-temperature protection</translation>
    </message>
    <message>
        <source>其他保护</source>
        <translation>Other protection</translation>
    </message>
    <message>
        <source>放电过流保护（软件）</source>
        <translation>Discharge over-current protection (software)</translation>
    </message>
    <message>
        <source>预放电短路</source>
        <translation>Pre-discharge short circuit</translation>
    </message>
    <message>
        <source>系统校准</source>
        <translation>System calibration</translation>
    </message>
    <message>
        <source>学习状态</source>
        <translation>Learning</translation>
    </message>
    <message>
        <source>系统复位</source>
        <translation>System reset</translation>
    </message>
    <message>
        <source>电压低于2.7V</source>
        <translation>Voltage below 2.7 V</translation>
    </message>
    <message>
        <source>电压高于2.7V，SOC=0</source>
        <translation>Voltage above 2.7 V, SOC=0</translation>
    </message>
    <message>
        <source>总电压过充</source>
        <translation>Pack over-voltage</translation>
    </message>
    <message>
        <source>总电压过放</source>
        <translation>Pack under-voltage</translation>
    </message>
    <message>
        <source>单节过充报警</source>
        <translation>Cell over-voltage alarm</translation>
    </message>
    <message>
        <source>单节过放报警</source>
        <translation>Cell under-voltage alarm</translation>
    </message>
    <message>
        <source>总电压过充报警</source>
        <translation>Pack over-voltage alarm</translation>
    </message>
    <message>
        <source>总电压过放报警</source>
        <translation>Pack under-voltage alarm</translation>
    </message>
    <message>
        <source>充电高温报警</source>
        <translation>Charge over-temperature alarm</translation>
    </message>
    <message>
        <source>充电低温报警</source>
        <translation>Charge under-temperature alarm</translation>
    </message>
    <message>
        <source>放电高温报警</source>
        <translation>Discharge over-temperature alarm</translation>
    </message>
    <message>
        <source>放电低温报警</source>
        <translation>Discharge under-temperature alarm</translation>
    </message>
    <message>
        <source>充电MOS高温报警</source>
        <translation>Charge MOS over-temperature alarm</translation>
    </message>
    <message>
        <source>放电MOS高温报警</source>
        <translation>Discharge MOS over-temperature alarm</translation>
    </message>
    <message>
        <source>充电过流报警</source>
        <translation>Charge over-current alarm</translation>
    </message>
    <message>
        <source>放电过流报警</source>
        <translation>Discharge over-current alarm</translation>
    </message>
    <message>
        <source>历史单节最高电压 (mV)</source>
        <translation>Historic max cell voltage (mV)</translation>
    </message>
    <message>
        <source>历史最高电压节数</source>
        <translation>Historic max voltage cell</translation>
    </message>
    <message>
        <source>历史单节最低电压 (mV)</source>
        <translation>Historic min cell voltage (mV)</translation>
    </message>
    <message>
        <source>历史最低电压节数</source>
        <translation>Historic min voltage cell</translation>
    </message>
    <message>
        <source>历史最大充电电流 (mA)</source>
        <translation>Historic max charge current (mA)</translation>
    </message>
    <message>
        <source>历史最大放电电流 (mA)</source>
        <translation>Historic max discharge current (mA)</translation>
    </message>
    <message>
        <source>历史最大总电压 (mV)</source>
        <translation>Historic max pack voltage (mV)</translation>
    </message>
    <message>
        <source>历史最高温度 (℃)</source>
        <translation>Historic max temperature (℃)</translation>
    </message>
    <message>
        <source>历史最低温度 (℃)</source>
        <translation>Historic min temperature (℃)</translation>
    </message>
    <message>
        <source>历史最大未充电时间 (H)</source>
        <translation>Historic max time without charge (h)</translation>
    </message>
    <message>
        <source>历史最大未放电时间 (H)</source>
        <translation>Historic max time without discharge (h)</translation>
    </message>
    <message>
        <source>放电</source>
        <translation>Discharge</translation>
    </message>
    <message>
        <source>待机</source>
        <translation>Standby</translation>
    </message>
    <message>
        <source>充电</source>
        <translation>Charge</translation>
    </message>
    <message>
        <source>开</source>
        <translation>On</translation>
    </message>
    <message>
        <source>关</source>
        <translation>Off</translation>
    </message>
</context>
<context>
    <name>StatusLineView</name>
    <message>
        <source>未选择串口</source>
        <translation>No serial port chosen</translation>
    </message>
    <message>
        <source>已连接</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>串口已断开（%1）</source>
        <translation>Serial port lost (%1)</translation>
    </message>
    <message>
        <source>，等待设备重新连接</source>
        <translation>, waiting for the device to come back</translation>
    </message>
    <message>
        <source>未连接</source>
        <translation>Not connected</translation>
    </message>
    <message>
        <source>主电</source>
        <translation>Main board</translation>
    </message>
    <message>
        <source>副电</source>
        <translation>Secondary board</translation>
    </message>
    <message>
        <source>最后应答 %1</source>
        <translation>Last answer %1</translation>
    </message>
    <message>
        <source>尚无应答</source>
        <translation>No answer yet</translation>
    </message>
    <message>
        <source>板卡无应答（%1 秒）</source>
        <translation>Board not answering (%1 s)</translation>
    </message>
    <message>
        <source>串口调试占用 %1；离开本页后恢复 %2</source>
        <translation>Serial terminal holds %1; %2 comes back after leaving the page</translation>
    </message>
    <message>
        <source>板卡已更换：SN %1 → %2</source>
        <translation>Board replaced: SN %1 → %2</translation>
    </message>
</context>
<context>
    <name>StatusRecordReader</name>
    <message>
        <source>文件是空的。</source>
        <translation>The file is empty.</translation>
    </message>
    <message>
        <source>文件不是定时保存写的记录：表头不符。</source>
        <translation>The file is not a timed recording: its header does not match.</translation>
    </message>
    <message>
        <source>无法打开文件 %1：%2</source>
        <translation>Cannot open the file %1: %2</translation>
    </message>
</context>
<context>
    <name>SystemLogPage</name>
    <message>
        <source>系统日志</source>
        <translation>System log</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>日志控件</source>
        <translation>Log list</translation>
    </message>
    <message>
        <source>复制（&amp;C）</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>导出日志（&amp;E）</source>
        <translation>&amp;Export log</translation>
    </message>
    <message>
        <source>清空日志（&amp;D）</source>
        <translation>Clear &amp;log</translation>
    </message>
    <message>
        <source>显示最新（&amp;L）</source>
        <translation>Show &amp;latest</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>通知</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>调试</source>
        <translation>Debug</translation>
    </message>
    <message>
        <source>调试串口接收的数据：</source>
        <translation>Data received on the debug port:</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>动作</source>
        <translation>Action</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Content</translation>
    </message>
    <message>
        <source>日志记录为空，没有可导出的内容！</source>
        <translation>The log is empty: nothing to export!</translation>
    </message>
</context>
<context>
    <name>TerminalNetPanel</name>
    <message>
        <source>本地端口自动分配</source>
        <translation>Local port assigned automatically</translation>
    </message>
    <message>
        <source>发送数据前先选客户端 ↑</source>
        <translation>Choose a client before sending ↑</translation>
    </message>
    <message>
        <source>监听自己设本地端口</source>
        <translation>Listening: set the local port</translation>
    </message>
    <message>
        <source>协议</source>
        <translation>Protocol</translation>
    </message>
    <message>
        <source>目的IP</source>
        <translation>Remote IP</translation>
    </message>
    <message>
        <source>目的端口</source>
        <translation>Remote port</translation>
    </message>
    <message>
        <source>本地端口</source>
        <translation>Local port</translation>
    </message>
    <message>
        <source>所有连接</source>
        <translation>All connections</translation>
    </message>
    <message>
        <source>连接</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>断开</source>
        <translation>Disconnect</translation>
    </message>
    <message>
        <source>连接失败:</source>
        <translation>Connection failed:</translation>
    </message>
    <message>
        <source>未输入地址</source>
        <translation>No address entered</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>监听失败</source>
        <translation>Listening failed</translation>
    </message>
    <message>
        <source>无效地址</source>
        <translation>Invalid address</translation>
    </message>
    <message>
        <source>Socket读取错误!</source>
        <translation>Socket read error!</translation>
    </message>
    <message>
        <source>网络调试</source>
        <translation>Network terminal</translation>
    </message>
</context>
<context>
    <name>TerminalPage</name>
    <message>
        <source>  接收编码：ASCII</source>
        <translation>  Receive encoding: ASCII</translation>
    </message>
    <message>
        <source>  接收编码：UTF-8</source>
        <translation>  Receive encoding: UTF-8</translation>
    </message>
    <message>
        <source>  接收编码：Unicode</source>
        <translation>  Receive encoding: Unicode</translation>
    </message>
    <message>
        <source>串口调试</source>
        <translation>Serial terminal</translation>
    </message>
    <message>
        <source>串口</source>
        <translation>Serial port</translation>
    </message>
    <message>
        <source>网络</source>
        <translation>Network</translation>
    </message>
    <message>
        <source>数据控制</source>
        <translation>Data control</translation>
    </message>
    <message>
        <source>间隔发送→</source>
        <translation>Send every→</translation>
    </message>
    <message>
        <source>满收清空→</source>
        <translation>Clear when full→</translation>
    </message>
    <message>
        <source>发帧换行</source>
        <translation>Newline per frame</translation>
    </message>
    <message>
        <source>AT 模式</source>
        <translation>AT mode</translation>
    </message>
    <message>
        <source>HEX显示</source>
        <translation>HEX view</translation>
    </message>
    <message>
        <source>HEX发送</source>
        <translation>HEX send</translation>
    </message>
    <message>
        <source>暂停接收</source>
        <translation>Pause receiving</translation>
    </message>
    <message>
        <source>保存接收</source>
        <translation>Save received</translation>
    </message>
    <message>
        <source>背景色</source>
        <translation>Background</translation>
    </message>
    <message>
        <source>字体色</source>
        <translation>Text colour</translation>
    </message>
    <message>
        <source>字样式</source>
        <translation>Font style</translation>
    </message>
    <message>
        <source>一无所有</source>
        <translation>Nothing</translation>
    </message>
    <message>
        <source>数据收发</source>
        <translation>Send and receive</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>发送文件</source>
        <translation>Send file</translation>
    </message>
    <message>
        <source>清除接收</source>
        <translation>Clear received</translation>
    </message>
    <message>
        <source>清除发送</source>
        <translation>Clear sent</translation>
    </message>
    <message>
        <source>清除计数</source>
        <translation>Clear counters</translation>
    </message>
    <message>
        <source>接收：0 Bytes 速率：0 Bps</source>
        <translation>Received: 0 Bytes Rate: 0 Bps</translation>
    </message>
    <message>
        <source>发送：0 Bytes</source>
        <translation>Sent: 0 Bytes</translation>
    </message>
    <message>
        <source>接收：%1 Bytes ,速率：%2 Bps</source>
        <translation>Received: %1 Bytes, rate: %2 Bps</translation>
    </message>
    <message>
        <source>请先打开串口或网络连接后再发送！</source>
        <translation>Open a serial port or network connection before sending!</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>发送：%1 Bytes</source>
        <translation>Sent: %1 Bytes</translation>
    </message>
    <message>
        <source>请输入有效的HEX格式!
范围：(&apos;0-9&apos;,&apos;a-f&apos;,&apos;A-F&apos;)
字节间可以用空格隔开</source>
        <translation>Enter valid HEX!
Range: (&apos;0-9&apos;,&apos;a-f&apos;,&apos;A-F&apos;)
Bytes may be separated by spaces</translation>
    </message>
    <message>
        <source>继续接收</source>
        <translation>Resume receiving</translation>
    </message>
    <message>
        <source>接收：%1 Bytes ,速率：0 Bps</source>
        <translation>Received: %1 Bytes, rate: 0 Bps</translation>
    </message>
    <message>
        <source>发送数据：%1 Bytes</source>
        <translation>Data sent: %1 Bytes</translation>
    </message>
    <message>
        <source>文本文件 (*.txt)</source>
        <translation>Text files (*.txt)</translation>
    </message>
    <message>
        <source>保存失败：%1
%2</source>
        <translation>Saving failed: %1
%2</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
    <message>
        <source>文本行尾：</source>
        <translation>Text line end:</translation>
    </message>
    <message>
        <source>文本发送时，发送框中的换行以此发出</source>
        <translation>When sending text, line breaks in the send box are sent as this</translation>
    </message>
    <message>
        <source>（终端串口未打开）</source>
        <translation>(terminal port not open)</translation>
    </message>
    <message>
        <source>串口调试占用 %1；板卡串口已关闭，离开本页后恢复。</source>
        <translation>Serial terminal holds %1; the board&apos;s port is closed and comes back after leaving the page.</translation>
    </message>
</context>
<context>
    <name>TerminalSerialPanel</name>
    <message>
        <source>刷新串口</source>
        <translation>Refresh ports</translation>
    </message>
    <message>
        <source>串口号</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>数据位</source>
        <translation>Data bits</translation>
    </message>
    <message>
        <source>停止位</source>
        <translation>Stop bits</translation>
    </message>
    <message>
        <source>校   验</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>打开串口</source>
        <translation>Open port</translation>
    </message>
    <message>
        <source>关闭串口</source>
        <translation>Close port</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>串口调试</source>
        <translation>Serial terminal</translation>
    </message>
    <message>
        <source>串口无效,请刷新</source>
        <translation>Invalid port, please refresh</translation>
    </message>
    <message>
        <source>打开串口失败</source>
        <translation>Opening the serial port failed</translation>
    </message>
    <message>
        <source>无法设置 %1：%2</source>
        <translation>Cannot set %1: %2</translation>
    </message>
    <message>
        <source>串口 %1 断开：%2</source>
        <translation>Serial port %1 lost: %2</translation>
    </message>
    <message>
        <source>：</source>
        <translation>: </translation>
    </message>
    <message>
        <source>没有选择串口</source>
        <translation>No serial port chosen</translation>
    </message>
    <message>
        <source>%1 不是串口设备</source>
        <translation>%1 is not a serial device</translation>
    </message>
    <message>
        <source>串口 %1 不存在</source>
        <translation>Serial port %1 does not exist</translation>
    </message>
    <message>
        <source>%1 不是系统列出的串口设备，未自动打开；确认后请按“打开串口”。</source>
        <translation>%1 is not a serial port the system lists and was not opened; check it, then press &quot;Open port&quot;.</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
</context>
<context>
    <name>UpgradeFile</name>
    <message>
        <source>升级文件不能为空！</source>
        <translation>The upgrade file must not be empty!</translation>
    </message>
    <message>
        <source>错误：文件名含有板卡线路上的 GBK 编码无法表示的字符（%1），不发送，请把文件改名或放到只含中英文字符的路径下</source>
        <translation>Error: the file name holds characters the GBK encoding on the board link cannot carry (%1); not sent. Rename the file or move it to a path with only Chinese and English characters</translation>
    </message>
</context>
<context>
    <name>UserListCtrl</name>
    <message>
        <source>列表控件</source>
        <translation>List</translation>
    </message>
    <message>
        <source>复制（&amp;C）</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>删除（&amp;D）</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>全选（&amp;A）</source>
        <translation>Select &amp;all</translation>
    </message>
    <message>
        <source>显示最新（&amp;L）</source>
        <translation>Show &amp;latest</translation>
    </message>
</context>
<context>
    <name>VerifyPasswordDialog</name>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>验证</source>
        <translation>Verification</translation>
    </message>
    <message>
        <source>      进入保护板（公司人员内部调试）模式，需要通过验证，请输入密码。</source>
        <translation>Entering the protection board (company internal debug) mode needs verification. Enter the password.</translation>
    </message>
    <message>
        <source>密码：</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>密码为空，请输入密码！</source>
        <translation>The password is empty. Enter the password!</translation>
    </message>
</context>
<context>
    <name>WakeThresholdPage</name>
    <message>
        <source>唤醒与门限</source>
        <translation>Wake-up and thresholds</translation>
    </message>
</context>
<context>
    <name>YModemUpgradeDialog</name>
    <message>
        <source>在线升级过程</source>
        <translation>Online upgrade progress</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>升级过程</source>
        <translation>Upgrade progress</translation>
    </message>
    <message>
        <source>刷新显示</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>重新升级</source>
        <translation>Upgrade again</translation>
    </message>
    <message>
        <source>选择升级文件，</source>
        <translation>Choose the upgrade file, </translation>
    </message>
    <message>
        <source>下位机即将重启 ...</source>
        <translation>The board is about to restart ...</translation>
    </message>
    <message>
        <source>上位机等待接收字符C ...</source>
        <translation>Waiting for the character C ...</translation>
    </message>
    <message>
        <source>您确信要退出在线升级？</source>
        <translation>Leave the online upgrade?</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>错误：文件路径和大小装不进数据块 0（最多 128 字节），不发送，请把文件放到较短的路径下</source>
        <translation>Error: the file path and size do not fit in block 0 (at most 128 bytes); not sent. Move the file to a shorter path</translation>
    </message>
    <message>
        <source>执行重新升级，等待接收字符C ...</source>
        <translation>Upgrading again, waiting for the character C ...</translation>
    </message>
    <message>
        <source>打开升级文件，文件名为空</source>
        <translation>Opening the upgrade file: the file name is empty</translation>
    </message>
    <message>
        <source>打开升级文件，fopen_s打开文件返回失败</source>
        <translation>Opening the upgrade file: opening the file failed</translation>
    </message>
    <message>
        <source>打开升级文件，fseek定位到文件结束返回失败</source>
        <translation>Opening the upgrade file: seeking to the end failed</translation>
    </message>
    <message>
        <source>打开升级文件，ftell获取文件大小返回失败</source>
        <translation>Opening the upgrade file: reading the file size failed</translation>
    </message>
    <message>
        <source>打开升级文件，fseek定位到文件开始返回失败</source>
        <translation>Opening the upgrade file: seeking to the start failed</translation>
    </message>
    <message>
        <source>错误：文件大小 %1 字节超出 YModem 传输的范围，不发送</source>
        <translation>Error: the file size %1 bytes exceeds what YModem can send; not sent</translation>
    </message>
    <message>
        <source>打开升级文件，文件大小 %1 字节，再次打开</source>
        <translation>Opening the upgrade file: %1 bytes, opened again</translation>
    </message>
    <message>
        <source>打开升级文件，文件大小 %1 字节</source>
        <translation>Opening the upgrade file: %1 bytes</translation>
    </message>
    <message>
        <source>完成数据块 %1 的发送，发出 %2 字节，重传</source>
        <translation>Block %1 sent, %2 bytes, resent</translation>
    </message>
    <message>
        <source>完成数据块 %1 的发送，发出 %2 字节</source>
        <translation>Block %1 sent, %2 bytes</translation>
    </message>
    <message>
        <source>填充数据块 0 返回失败，忽略...</source>
        <translation>Filling block 0 failed, ignored...</translation>
    </message>
    <message>
        <source>填充数据块 0，文件名和大小</source>
        <translation>Filling block 0: file name and size</translation>
    </message>
    <message>
        <source>从文件中读取数据返回失败，nRes=%1</source>
        <translation>Reading from the file failed, nRes=%1</translation>
    </message>
    <message>
        <source>填充数据块 %1，有效数据 %2 字节</source>
        <translation>Filling block %1, %2 bytes of data</translation>
    </message>
    <message>
        <source>数据传输完毕，首次填充一个EOT</source>
        <translation>All data sent, first EOT</translation>
    </message>
    <message>
        <source>检测到文件没有传输完整，nFileTotal=%1</source>
        <translation>The file was not sent completely, nFileTotal=%1</translation>
    </message>
    <message>
        <source>-&gt; 接收到字符C</source>
        <translation>-&gt; Received C</translation>
    </message>
    <message>
        <source>发送结束帧，需要重启验证是否升级成功！</source>
        <translation>End frame sent; restart to check that the upgrade succeeded!</translation>
    </message>
    <message>
        <source>发送结束帧，升级文件传输完成！</source>
        <translation>End frame sent; upgrade file transferred!</translation>
    </message>
    <message>
        <source>再次收到字符C，之前对数据块 %1 已ACK，进入文件传输</source>
        <translation>C received again, block %1 was acknowledged before: file transfer starts</translation>
    </message>
    <message>
        <source>再次收到字符C，本应该是收到数据块 0 的ACK</source>
        <translation>C received again where the ACK of block 0 was expected</translation>
    </message>
    <message>
        <source>再次收到字符C频率太高，忽略...</source>
        <translation>C received again too often, ignored...</translation>
    </message>
    <message>
        <source>再次收到字符C，已发送的块 0 可能丢失，重复发送</source>
        <translation>C received again: block 0 may be lost, sending it again</translation>
    </message>
    <message>
        <source>再次收到字符C，但之前未发送数据块 0，进入块 0 发送</source>
        <translation>C received again but block 0 was not sent yet: sending block 0</translation>
    </message>
    <message>
        <source>-&gt; 接收到 ACK</source>
        <translation>-&gt; Received ACK</translation>
    </message>
    <message>
        <source>首次收到ACK，是对块 %1 的ACK</source>
        <translation>First ACK received, for block %1</translation>
    </message>
    <message>
        <source>还没有发送数据块 0，却收到了首次 ACK，进入块 0 发送</source>
        <translation>First ACK received before block 0 was sent: sending block 0</translation>
    </message>
    <message>
        <source>在线升级【成功】！</source>
        <translation>Online upgrade [succeeded]!</translation>
    </message>
    <message>
        <source>在线升级（成功）！</source>
        <translation>Online upgrade (succeeded)!</translation>
    </message>
    <message>
        <source>收到对块 %1 的ACK</source>
        <translation>ACK received for block %1</translation>
    </message>
    <message>
        <source>-&gt; 接收到 NAK</source>
        <translation>-&gt; Received NAK</translation>
    </message>
    <message>
        <source>数据传输完毕，再次填充一个EOT</source>
        <translation>All data sent, EOT again</translation>
    </message>
    <message>
        <source>可能数据块不匹配，主动取消数据传输 ...</source>
        <translation>Blocks may not match: cancelling the transfer ...</translation>
    </message>
    <message>
        <source>-&gt; 接收到 CAN</source>
        <translation>-&gt; Received CAN</translation>
    </message>
    <message>
        <source>下位机取消传输，升级失败！</source>
        <translation>The board cancelled the transfer; upgrade failed!</translation>
    </message>
</context>
<context>
    <name>pylvexctl</name>
    <message>
        <source>没有指定串口：请用 --port 给出设备（例如 ttyUSB0 或 /dev/pts/3）</source>
        <translation>No serial port given: name the device with --port (e.g. ttyUSB0 or /dev/pts/3)</translation>
    </message>
    <message>
        <source>解析串口号失败COM口=%1</source>
        <translation>Cannot parse the serial port name: %1</translation>
    </message>
    <message>
        <source>收到 %1 个校验码错误的应答</source>
        <translation>%1 answers with a wrong checksum received</translation>
    </message>
    <message>
        <source>%1：板卡无应答</source>
        <translation>%1: the board does not answer</translation>
    </message>
    <message>
        <source>%1：串口连接已断开</source>
        <translation>%1: the serial connection was lost</translation>
    </message>
    <message>
        <source>%1：已中断</source>
        <translation>%1: interrupted</translation>
    </message>
    <message>
        <source>列出找到的串口及其说明</source>
        <translation>List the serial ports found, with their descriptions</translation>
    </message>
    <message>
        <source>读取全部实时状态（支持时批量读取，否则逐项读取）</source>
        <translation>Read the whole live status (in one batch where supported, else item by item)</translation>
    </message>
    <message>
        <source>反复读取实时状态，直到被中断（Ctrl-C）；每次一行 JSON 或一行 CSV</source>
        <translation>Read the live status again and again until interrupted (Ctrl-C); one JSON line or one CSV line each time</translation>
    </message>
    <message>
        <source>读取或写入两个门限页面的参数；每次写入都会读回比较</source>
        <translation>Read or write the parameters of the two threshold pages; every write is read back and compared</translation>
    </message>
    <message>
        <source>把全部可读参数存入 JSON 文件，与板卡比较，或把不同的参数写回板卡</source>
        <translation>Save every readable parameter to a JSON file, compare it with the board, or write the differing parameters back</translation>
    </message>
    <message>
        <source>读取板卡时钟；--set 按电脑时间设置，--sync 相差超过 600 秒时才设置</source>
        <translation>Read the board clock; --set sets it to the computer&apos;s time, --sync only when they differ by more than 600 s</translation>
    </message>
    <message>
        <source>读取板卡的报警或保护日志</source>
        <translation>Read the board&apos;s alarm or protection log</translation>
    </message>
    <message>
        <source>读取板卡存储的电池记录</source>
        <translation>Read the battery records stored on the board</translation>
    </message>
    <message>
        <source>升级板卡固件（命令协议或 YModem）</source>
        <translation>Upgrade the board firmware (command protocol or YModem)</translation>
    </message>
    <message>
        <source>显示帮助</source>
        <translation>Show this help</translation>
    </message>
    <message>
        <source>串口设备（ttyUSB0 或 /dev/pts/3 这样的路径）；默认是窗口程序上次使用的串口</source>
        <translation>Serial device (ttyUSB0 or a path such as /dev/pts/3); default: the port the window used last</translation>
    </message>
    <message>
        <source>波特率；默认是窗口程序保存的波特率（未保存时 9600）</source>
        <translation>Baud rate; default: the one the window stored (9600 when none)</translation>
    </message>
    <message>
        <source>命令发送间隔（毫秒，10 至 2000）；默认是窗口程序保存的间隔（未保存时 400）</source>
        <translation>Command interval (ms, 10 to 2000); default: the one the window stored (400 when none)</translation>
    </message>
    <message>
        <source>每个请求等待应答的时间（毫秒，默认 1000）；无应答时重试一次</source>
        <translation>How long each request waits for the answer (ms, default 1000); one retry when none comes</translation>
    </message>
    <message>
        <source>与副电板通讯（应答的链路字节为 0xD3）</source>
        <translation>Talk to the secondary board (answers carry the link byte 0xD3)</translation>
    </message>
    <message>
        <source>在标准输出给出 JSON（默认是便于阅读的表格）</source>
        <translation>JSON on standard output (default: a readable table)</translation>
    </message>
    <message>
        <source>在标准错误输出每个收发的帧（十六进制）</source>
        <translation>Every frame sent and received on standard error (hexadecimal)</translation>
    </message>
    <message>
        <source>两次读取之间的秒数（可带小数，默认 1）</source>
        <translation>Seconds between two reads (decimals allowed, default 1)</translation>
    </message>
    <message>
        <source>只写入这些参数（可重复，或用逗号分隔）</source>
        <translation>Write only these parameters (repeat, or separate with commas)</translation>
    </message>
    <message>
        <source>只列出将要写入的参数，不写入</source>
        <translation>Only list the parameters that would be written; write nothing</translation>
    </message>
    <message>
        <source>按电脑的本地时间设置板卡时钟</source>
        <translation>Set the board clock to the computer&apos;s local time</translation>
    </message>
    <message>
        <source>板卡时钟与电脑相差超过 600 秒时才设置</source>
        <translation>Set the board clock only when it differs from the computer by more than 600 s</translation>
    </message>
    <message>
        <source>同时写入 Excel 工作簿（与页面导出的格式相同）</source>
        <translation>Also write an Excel workbook (the same format as the page&apos;s export)</translation>
    </message>
    <message>
        <source>用 YModem 升级：raw（直接）或 wrapped（封装在帧中）</source>
        <translation>Upgrade with YModem: raw (direct) or wrapped (inside frames)</translation>
    </message>
    <message>
        <source>用法：pylvexctl [选项] &lt;子命令&gt; [参数]

在命令行操作 BMS 保护板：查看状态、读写门限参数、保存和恢复参数、校时。

子命令：
</source>
        <translation>Usage: pylvexctl [options] &lt;command&gt; [arguments]

Work with a BMS protection board from the command line: read the status, read and write threshold parameters, save and restore parameters, set the clock.

Commands:
</translation>
    </message>
    <message>
        <source>
共同选项：
</source>
        <translation>
Common options:
</translation>
    </message>
    <message>
        <source>--%1 的值无效，有效范围是 %2 至 %3</source>
        <translation>Invalid value for --%1: the valid range is %2 to %3</translation>
    </message>
    <message>
        <source>多值参数的值用逗号分隔，例如 balance_diff_mv=30,10；温度以整摄氏度输入和显示。
JSON 输出中每个参数是一个数，多值参数是一组数。

</source>
        <translation>Multi-value parameters take comma-separated values, e.g. balance_diff_mv=30,10; temperatures are entered and shown in whole degrees Celsius.
In JSON output each parameter is a number, a multi-value parameter a list of numbers.

</translation>
    </message>
    <message>
        <source>
这些参数属于内部调试模式：先要输入与窗口程序相同的密码（从终端输入，不回显；或取自环境变量 PYLVEX_PASSWORD），再请求板卡进入内部调试模式。
</source>
        <translation>
These parameters belong to the internal debug mode: first the same password as in the window (typed on the terminal without echo, or taken from the environment variable PYLVEX_PASSWORD), then the board is asked to enter the internal debug mode.
</translation>
    </message>
    <message>
        <source>
diff 在有不同的参数时以状态 1 退出；apply 写入不同的参数（或 --only 给出的参数），读回比较，有参数未生效时以状态 1 退出。
</source>
        <translation>
diff exits with status 1 when parameters differ; apply writes the differing parameters (or those given with --only), reads them back and exits with status 1 when one did not take effect.
</translation>
    </message>
    <message>
        <source>未知的子命令：%1
%2</source>
        <translation>Unknown command: %1
%2</translation>
    </message>
    <message>
        <source>pylvexctl --help 列出全部子命令</source>
        <translation>pylvexctl --help lists every command</translation>
    </message>
    <message>
        <source>%1 --help 给出用法</source>
        <translation>%1 --help shows the usage</translation>
    </message>
    <message>
        <source>%1 需要 %2 之一
%3</source>
        <translation>%1 needs one of %2
%3</translation>
    </message>
    <message>
        <source>%1 的参数个数不对
%2</source>
        <translation>Wrong number of arguments for %1
%2</translation>
    </message>
    <message>
        <source>--every 的值无效，有效范围是 0 至 86400 秒</source>
        <translation>Invalid value for --every: the valid range is 0 to 86400 seconds</translation>
    </message>
    <message>
        <source>--set 与 --sync 只能给出一个</source>
        <translation>Give only one of --set and --sync</translation>
    </message>
    <message>
        <source>--ymodem 只接受 raw 或 wrapped</source>
        <translation>--ymodem takes only raw or wrapped</translation>
    </message>
    <message>
        <source>板卡时钟</source>
        <translation>Board clock</translation>
    </message>
    <message>
        <source>板卡时钟：Len:%1, Need:%2</source>
        <translation>Board clock: Len:%1, Need:%2</translation>
    </message>
    <message>
        <source>板卡时钟：ErrorCode: 0x%1</source>
        <translation>Board clock: ErrorCode: 0x%1</translation>
    </message>
    <message>
        <source>板卡时钟设置后仍相差 %1 秒</source>
        <translation>The board clock still differs by %1 s after setting it</translation>
    </message>
    <message>
        <source>板卡时间：%1
与电脑相差：%2 秒
</source>
        <translation>Board time: %1
Difference from the computer: %2 s
</translation>
    </message>
    <message>
        <source>已设置为：%1（相差 %2 秒）
</source>
        <translation>Set to: %1 (difference %2 s)
</translation>
    </message>
    <message>
        <source>相差不超过 %1 秒，未设置
</source>
        <translation>Difference within %1 s, not set
</translation>
    </message>
    <message>
        <source>文件正在被另一个程序打开或使用，请另存文件名！</source>
        <translation>The file is open or in use by another program. Save under another name!</translation>
    </message>
    <message>
        <source>日志导出失败：%1</source>
        <translation>Exporting the log failed: %1</translation>
    </message>
    <message>
        <source>%1：获取日志失败（ErrorCode: 0x%2）</source>
        <translation>%1: reading the log failed (ErrorCode: 0x%2)</translation>
    </message>
    <message>
        <source>暂无%1</source>
        <translation>No %1 yet</translation>
    </message>
    <message>
        <source>电池记录</source>
        <translation>Battery records</translation>
    </message>
    <message>
        <source>电池记录：ErrorCode: 0x%1</source>
        <translation>Battery records: ErrorCode: 0x%1</translation>
    </message>
    <message>
        <source>没有检测到可使用的串口</source>
        <translation>No usable serial port found</translation>
    </message>
    <message>
        <source>有参数读取失败，没有写入 %1</source>
        <translation>Reading some parameters failed; %1 not written</translation>
    </message>
    <message>
        <source>无法写入 %1：%2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>已把 %1 个参数保存到 %2
</source>
        <translation>%1 parameters saved to %2
</translation>
    </message>
    <message>
        <source>%1  %2  板卡 %3  文件 %4
</source>
        <translation>%1  %2  board %3  file %4
</translation>
    </message>
    <message>
        <source>未知参数：%1（pylvexctl params --help 列出全部参数）</source>
        <translation>Unknown parameter: %1 (pylvexctl params --help lists every parameter)</translation>
    </message>
    <message>
        <source>%1：参数文件中没有该参数</source>
        <translation>%1: the parameter file does not have this parameter</translation>
    </message>
    <message>
        <source>已写入 %1 个参数，%2 个失败
</source>
        <translation>%1 parameters written, %2 failed
</translation>
    </message>
    <message>
        <source>读取状态</source>
        <translation>Read status</translation>
    </message>
    <message>
        <source>状态项 0x%1：%2</source>
        <translation>Status item 0x%1: %2</translation>
    </message>
    <message>
        <source>板卡恢复应答</source>
        <translation>The board answers again</translation>
    </message>
    <message>
        <source>无法打开串口，继续重试：%1</source>
        <translation>Cannot open the serial port, retrying: %1</translation>
    </message>
    <message>
        <source>串口连接已断开，继续重试</source>
        <translation>Serial connection lost, retrying</translation>
    </message>
    <message>
        <source>板卡无应答，继续重试</source>
        <translation>The board does not answer, retrying</translation>
    </message>
    <message>
        <source>进度：%1/%2 字节（%3%）</source>
        <translation>Progress: %1/%2 bytes (%3%)</translation>
    </message>
    <message>
        <source>请求在线升级</source>
        <translation>Request online upgrade</translation>
    </message>
    <message>
        <source>upgrade 需要一个升级文件</source>
        <translation>upgrade needs an upgrade file</translation>
    </message>
    <message>
        <source>读取版本</source>
        <translation>Read version</translation>
    </message>
    <message>
        <source>升级中断：板卡无应答</source>
        <translation>Upgrade interrupted: the board does not answer</translation>
    </message>
    <message>
        <source>升级中断：串口已断开</source>
        <translation>Upgrade interrupted: the serial port was lost</translation>
    </message>
    <message>
        <source>升级失败</source>
        <translation>Upgrade failed</translation>
    </message>
    <message>
        <source>警告：软件版本没有变化，仍是 %1，请确认升级是否生效</source>
        <translation>Warning: the firmware version has not changed, still %1; check that the upgrade took effect</translation>
    </message>
    <message>
        <source>升级成功：%1（%2 字节，用时 %3 秒）
软件版本：升级前 %4，升级后 %5
</source>
        <translation>Upgrade succeeded: %1 (%2 bytes, %3 s)
Firmware version: %4 before the upgrade, %5 after
</translation>
    </message>
    <message>
        <source>进入保护板（公司人员内部调试）模式，需要通过验证，请输入密码：</source>
        <translation>Entering the protection board (company internal debug) mode needs verification. Enter the password:</translation>
    </message>
    <message>
        <source>需要内部调试模式的密码：请在终端中运行，或设置环境变量 %1</source>
        <translation>The internal debug mode needs a password: run this on a terminal, or set the environment variable %1</translation>
    </message>
    <message>
        <source>密码为空，请输入密码！</source>
        <translation>The password is empty. Enter the password!</translation>
    </message>
    <message>
        <source>进入内部调试模式</source>
        <translation>Enter internal debug mode</translation>
    </message>
    <message>
        <source>请求</source>
        <translation>Request</translation>
    </message>
    <message>
        <source>该参数只能写入，不能读取</source>
        <translation>This parameter can only be written, not read</translation>
    </message>
    <message>
        <source>数值无法写入</source>
        <translation>The value cannot be written</translation>
    </message>
    <message>
        <source>应写成 KEY=VALUE：%1</source>
        <translation>Write it as KEY=VALUE: %1</translation>
    </message>
    <message>
        <source>%1：该参数只能写入，不能读取</source>
        <translation>%1: this parameter can only be written, not read</translation>
    </message>
    <message>
        <source>参数（KEY，单位，有效范围，名称）：
</source>
        <translation>Parameters (KEY, unit, valid range, name):
</translation>
    </message>
    <message>
        <source>只读，唤醒方式代码</source>
        <translation>Read-only, wake-up source code</translation>
    </message>
    <message>
        <source>只写，值为 1</source>
        <translation>Write-only, value 1</translation>
    </message>
    <message>
        <source>开</source>
        <translation>On</translation>
    </message>
    <message>
        <source>关</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>单节电压：</source>
        <translation>Cell voltages:</translation>
    </message>
    <message>
        <source>  节    单节电压(mV)  均衡
</source>
        <translation>  Cell  Voltage (mV)  Balancing
</translation>
    </message>
    <message>
        <source>总电压：</source>
        <translation>Pack voltage:</translation>
    </message>
    <message>
        <source>总电流：</source>
        <translation>Pack current:</translation>
    </message>
    <message>
        <source>温度%1：</source>
        <translation>Temperature %1:</translation>
    </message>
    <message>
        <source>软件版本：</source>
        <translation>Firmware version:</translation>
    </message>
    <message>
        <source>硬件版本：</source>
        <translation>Hardware version:</translation>
    </message>
    <message>
        <source>SN 码：</source>
        <translation>SN:</translation>
    </message>
    <message>
        <source>生产日期：</source>
        <translation>Production date:</translation>
    </message>
    <message>
        <source>SOC，SOH：</source>
        <translation>SOC, SOH:</translation>
    </message>
    <message>
        <source>充放电循环次数：</source>
        <translation>Cycle count:</translation>
    </message>
    <message>
        <source>温度探头个数：</source>
        <translation>Temperature sensors:</translation>
    </message>
    <message>
        <source>剩余容量：</source>
        <translation>Remaining capacity:</translation>
    </message>
    <message>
        <source>满电容量：</source>
        <translation>Full charge capacity:</translation>
    </message>
    <message>
        <source>充放电及预放电MOS状态：</source>
        <translation>Charge, discharge and pre-discharge MOS:</translation>
    </message>
    <message>
        <source>充电 %1，放电 %2，预放电 %3</source>
        <translation>Charge %1, discharge %2, pre-discharge %3</translation>
    </message>
    <message>
        <source>保护状态：</source>
        <translation>Protection status:</translation>
    </message>
    <message>
        <source>报警状态：</source>
        <translation>Alarm status:</translation>
    </message>
    <message>
        <source>最值记录：</source>
        <translation>Extremes:</translation>
    </message>
    <message>
        <source>读取失败 %1：</source>
        <translation>Reading %1 failed:</translation>
    </message>
    <message>
        <source>单节 %1…%2 mV</source>
        <translation>Cells %1…%2 mV</translation>
    </message>
    <message>
        <source>温度 %1…%2 ℃</source>
        <translation>Temperatures %1…%2 ℃</translation>
    </message>
    <message>
        <source>保护 %1</source>
        <translation>Protections %1</translation>
    </message>
    <message>
        <source>报警 %1</source>
        <translation>Alarms %1</translation>
    </message>
    <message>
        <source>消息和帮助的语言：zh（中文）或 en（英文）；默认跟随系统的区域设置</source>
        <translation>Language of messages and help: zh (Chinese) or en (English); default: the system&apos;s locale</translation>
    </message>
    <message>
        <source>保存的串口名“%1”不是有效的设备名，已忽略</source>
        <translation>The saved serial port name &quot;%1&quot; is not a valid device name; ignored</translation>
    </message>
    <message>
        <source>串口 %1 不存在</source>
        <translation>Serial port %1 does not exist</translation>
    </message>
    <message>
        <source>显示版本号并退出</source>
        <translation>Show the version and exit</translation>
    </message>
    <message>
        <source>把收发的每个帧抓包写入 pcapng 文件（可用 Wireshark 查看）</source>
        <translation>Capture every frame sent and received into a pcapng file (readable with Wireshark)</translation>
    </message>
    <message>
        <source>同时把每次的状态追加为 CSV 行（与窗口程序的每日 CSV 格式相同，GBK）；- 表示标准输出；给出文件夹时每天写入其中的 Record_&lt;日期&gt;.csv</source>
        <translation>Also append each status as a CSV row (the window&apos;s daily CSV format, GBK); - means standard output; for a folder, Record_&lt;date&gt;.csv in it each day</translation>
    </message>
    <message>
        <source>同时把状态发布到 MQTT 代理：mqtt://[用户名@]主机[:端口] 或 mqtts://...；密码取自环境变量 PYLVEX_MQTT_PASSWORD</source>
        <translation>Also publish the status to an MQTT broker: mqtt://[user@]host[:port] or mqtts://...; the password comes from the environment variable PYLVEX_MQTT_PASSWORD</translation>
    </message>
    <message>
        <source>MQTT 主题的前缀（默认 pylvex）</source>
        <translation>Prefix of the MQTT topics (default pylvex)</translation>
    </message>
    <message>
        <source>mqtts:// 时用来验证代理证书的 CA 证书文件（默认用系统的 CA 证书）</source>
        <translation>CA certificate file to verify the broker&apos;s certificate with mqtts:// (default: the system&apos;s CA certificates)</translation>
    </message>
    <message>
        <source>不发布 Home Assistant 的自动发现配置</source>
        <translation>Do not publish the Home Assistant discovery configuration</translation>
    </message>
    <message>
        <source>
退出状态：0 成功；1 板卡应答错误，或读回、比较不一致；2 用法错误（未知参数、数值超出范围）；3 链路错误（没有该串口、串口被占用、没有权限、无应答）；4 仅 upgrade：板卡已接收升级文件，但重启后读不到新版本。
每个子命令的说明：pylvexctl &lt;子命令&gt; --help
</source>
        <translation>
Exit status: 0 success; 1 the board answered with an error, or a read-back or comparison differs; 2 usage error (unknown option, value out of range); 3 link error (no such port, port busy, no permission, no answer); 4 upgrade only: the board took the upgrade file but the new version cannot be read after the restart.
Help on each subcommand: pylvexctl &lt;subcommand&gt; --help
</translation>
    </message>
    <message>
        <source>--list-keys 需要 readable、writable 或 stored 之一</source>
        <translation>--list-keys needs one of readable, writable or stored</translation>
    </message>
    <message>
        <source>
--port 可以给出多次：每个串口有自己的连接和节奏，一块板卡无应答不会耽误其他板卡；这时 --csv 给出一个文件夹，每块板卡写一个文件。
--mqtt 时每次读取后把与 status --json 相同的 JSON 对象发布到 &lt;前缀&gt;/&lt;板卡&gt;/state，&lt;板卡&gt; 是板卡的 SN 码（没有时是串口名）；&lt;前缀&gt;/&lt;板卡&gt;/availability 保留为 online 或 offline；Home Assistant 的自动发现配置发布在 homeassistant/&lt;类型&gt;/&lt;板卡&gt;_&lt;项目&gt;/config 下。
代理断开时继续读取板卡并按退避间隔重连；代理拒绝登录或证书无效时以状态 3 退出。
重新连接后读到的 SN 码与之前不同时，在标准错误和 JSON 输出中说明，CSV 另起一个文件。
</source>
        <translation>
--port may be given several times: each port has its own connection and pace, and a board that does not answer holds up no other; --csv then names a folder with one file per board.
With --mqtt, after each reading the JSON object of status --json is published to &lt;prefix&gt;/&lt;board&gt;/state, &lt;board&gt; being the board&apos;s SN (the port name without one); &lt;prefix&gt;/&lt;board&gt;/availability is retained as online or offline; the Home Assistant discovery configuration is published under homeassistant/&lt;component&gt;/&lt;board&gt;_&lt;item&gt;/config.
While the broker is away the board is still read and the broker is reconnected with back-off; when the broker refuses the login or the certificate is invalid the program exits with status 3.
When the SN read after a reconnection differs from the one before, standard error and the JSON output say so, and the CSV starts a new file.
</translation>
    </message>
    <message>
        <source>
不带 --ymodem 时用命令协议升级（命令间隔 10 ms，每块带 CRC 校验）；--ymodem raw 先请求中继器进入升级，把 YModem 数据包直接发出；--ymodem wrapped 先请求板卡进入升级，把数据包封装在帧中发出。
只有 --ymodem wrapped（板卡自己的升级程序）属于内部调试模式：先要输入与窗口程序相同的密码（从终端输入，不回显；或取自环境变量 PYLVEX_PASSWORD），再请求板卡进入内部调试模式；命令协议和 --ymodem raw 不需要密码。
进度在终端上显示为进度条，否则在标准错误上逐行输出；结束后等板卡重启（最多 12 秒）并读回板卡的版本，给出升级前后的软件版本（版本没有变化只是警告）。
退出状态：0 成功；1 板卡应答错误或升级失败；2 文件缺失、不可读、为空或过大，或密码错误；3 串口错误或板卡无应答；4 板卡已接收升级文件，但重启后读不到新版本。
</source>
        <translation>
Without --ymodem the upgrade uses the command protocol (10 ms command interval, a CRC on every block); --ymodem raw first asks the repeater to enter the upgrade and sends the YModem packets as they are; --ymodem wrapped first asks the board to enter the upgrade and sends the packets wrapped in frames.
Only --ymodem wrapped (the board&apos;s own upgrade program) belongs to the internal debug mode: first the same password as in the window is entered (from the terminal, not echoed, or from the environment variable PYLVEX_PASSWORD), then the board is asked to enter the internal debug mode; the command protocol and --ymodem raw need no password.
On a terminal the progress shows as a progress bar, otherwise line by line on standard error; at the end the program waits for the board to restart (at most 12 seconds), reads its version back and gives the firmware versions before and after (an unchanged version is only a warning).
Exit status: 0 success; 1 the board answered with an error or the upgrade failed; 2 file missing, unreadable, empty or too large, or wrong password; 3 serial port error or no answer from the board; 4 the board took the upgrade file but the new version cannot be read after the restart.
</translation>
    </message>
    <message>
        <source>--port 的值无效或重复：%1</source>
        <translation>Invalid or repeated --port: %1</translation>
    </message>
    <message>
        <source>多个串口时 --csv 需要一个文件夹，不能是标准输出</source>
        <translation>With several ports --csv needs a folder, not standard output</translation>
    </message>
    <message>
        <source>--%1 只能与 --mqtt 一起使用</source>
        <translation>--%1 can only be used with --mqtt</translation>
    </message>
    <message>
        <source>--mqtt-prefix 的值无效：不能为空，不能含 +、# 或空的层级</source>
        <translation>Invalid --mqtt-prefix: it cannot be empty or hold +, # or an empty level</translation>
    </message>
    <message>
        <source>--mqtt-cafile 只用于 mqtts:// 地址</source>
        <translation>--mqtt-cafile is only for mqtts:// addresses</translation>
    </message>
    <message>
        <source>无法读取 CA 证书文件：%1</source>
        <translation>Cannot read the CA certificate file: %1</translation>
    </message>
    <message>
        <source>--capture 需要一个文件名</source>
        <translation>--capture needs a file name</translation>
    </message>
    <message>
        <source>读取参数 %1/%2：%3</source>
        <translation>Reading parameter %1/%2: %3</translation>
    </message>
    <message>
        <source>注意：%1</source>
        <translation>Note: %1</translation>
    </message>
    <message>
        <source>错误：重传的%1命令仍然没有应答，请检查连接后重新运行 pylvexctl upgrade</source>
        <translation>Error: the resent %1 command still has no answer; check the connection and run pylvexctl upgrade again</translation>
    </message>
    <message>
        <source>错误：当前=%1，接收=%2，请重新运行 pylvexctl upgrade</source>
        <translation>Error: current=%1, received=%2; run pylvexctl upgrade again</translation>
    </message>
    <message>
        <source>等待板卡重启后应答……（%1 秒）</source>
        <translation>Waiting for the board to answer after its restart... (%1 s)</translation>
    </message>
    <message>
        <source>警告：串口上仍有数据没有发出（板卡的升级程序可能仍在等待）</source>
        <translation>Warning: data on the serial port was not sent out yet (the board&apos;s upgrade program may still be waiting)</translation>
    </message>
    <message>
        <source>升级文件已被板卡接收，但升级后读不到新版本（%1），请稍后用 pylvexctl status 确认</source>
        <translation>The board took the upgrade file, but the new version cannot be read after the upgrade (%1); check later with pylvexctl status</translation>
    </message>
    <message>
        <source>SOC</source>
        <translation>SOC</translation>
    </message>
    <message>
        <source>SOH</source>
        <translation>SOH</translation>
    </message>
    <message>
        <source>总电压</source>
        <translation>Pack voltage</translation>
    </message>
    <message>
        <source>总电流</source>
        <translation>Pack current</translation>
    </message>
    <message>
        <source>功率</source>
        <translation>Power</translation>
    </message>
    <message>
        <source>剩余容量</source>
        <translation>Remaining capacity</translation>
    </message>
    <message>
        <source>满电容量</source>
        <translation>Full charge capacity</translation>
    </message>
    <message>
        <source>循环次数</source>
        <translation>Cycle count</translation>
    </message>
    <message>
        <source>最高单节电压</source>
        <translation>Highest cell voltage</translation>
    </message>
    <message>
        <source>最低单节电压</source>
        <translation>Lowest cell voltage</translation>
    </message>
    <message>
        <source>单节压差</source>
        <translation>Cell voltage difference</translation>
    </message>
    <message>
        <source>充电 MOS</source>
        <translation>Charge MOS</translation>
    </message>
    <message>
        <source>放电 MOS</source>
        <translation>Discharge MOS</translation>
    </message>
    <message>
        <source>预放电 MOS</source>
        <translation>Pre-discharge MOS</translation>
    </message>
    <message>
        <source>有报警</source>
        <translation>Alarm active</translation>
    </message>
    <message>
        <source>有保护</source>
        <translation>Protection active</translation>
    </message>
    <message>
        <source>保护板 %1</source>
        <translation>Protection board %1</translation>
    </message>
    <message>
        <source>BMS 保护板（副板）</source>
        <translation>BMS protection board (secondary board)</translation>
    </message>
    <message>
        <source>BMS 保护板（主板）</source>
        <translation>BMS protection board (main board)</translation>
    </message>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
    <message>
        <source>报警</source>
        <translation>Alarms</translation>
    </message>
    <message>
        <source>保护</source>
        <translation>Protections</translation>
    </message>
    <message>
        <source>温度 %1</source>
        <translation>Temperature %1</translation>
    </message>
    <message>
        <source>单节电压 %1</source>
        <translation>Cell voltage %1</translation>
    </message>
    <message>
        <source>抓包：%1 个记录，%2 字节，已写入 %3</source>
        <translation>Capture: %1 records, %2 bytes, written to %3</translation>
    </message>
    <message>
        <source>无法建立 MQTT 客户端</source>
        <translation>Cannot create the MQTT client</translation>
    </message>
    <message>
        <source>MQTT 客户端设置失败：%1</source>
        <translation>Setting up the MQTT client failed: %1</translation>
    </message>
    <message>
        <source>与 MQTT 代理 %1:%2 的连接断开（%3），继续重试</source>
        <translation>Connection to the MQTT broker %1:%2 lost (%3); retrying</translation>
    </message>
    <message>
        <source>无法连接 MQTT 代理 %1:%2（%3），继续重试</source>
        <translation>Cannot connect to the MQTT broker %1:%2 (%3); retrying</translation>
    </message>
    <message>
        <source>MQTT 代理 %1 拒绝登录：用户名或密码错误</source>
        <translation>The MQTT broker %1 refused the login: wrong user name or password</translation>
    </message>
    <message>
        <source>MQTT 代理 %1 拒绝登录：未获授权（检查用户名和环境变量 %2 中的密码）</source>
        <translation>The MQTT broker %1 refused the login: not authorised (check the user name and the password in the environment variable %2)</translation>
    </message>
    <message>
        <source>MQTT 代理 %1 拒绝连接（代码 %2）</source>
        <translation>The MQTT broker %1 refused the connection (code %2)</translation>
    </message>
    <message>
        <source>与 MQTT 代理 %1:%2 的 TLS 握手失败（证书无效、不受信任或与主机名不符）：%3</source>
        <translation>The TLS handshake with the MQTT broker %1:%2 failed (certificate invalid, not trusted or not matching the host name): %3</translation>
    </message>
    <message>
        <source>%1：已连接 MQTT 代理 %2:%3</source>
        <translation>%1: connected to the MQTT broker %2:%3</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>--mqtt 的地址无效：%1（应为 mqtt://[用户名@]主机[:端口] 或 mqtts://...）</source>
        <translation>Invalid --mqtt address: %1 (mqtt://[user@]host[:port] or mqtts://... expected)</translation>
    </message>
    <message>
        <source>--mqtt 的地址不能带密码：请用环境变量 %1 给出密码</source>
        <translation>The --mqtt address cannot hold a password: give it in the environment variable %1</translation>
    </message>
    <message>
        <source>--mqtt 的端口无效：%1</source>
        <translation>Invalid --mqtt port: %1</translation>
    </message>
    <message>
        <source>板卡已更换：SN 码 %1 → %2</source>
        <translation>Board replaced: SN %1 → %2</translation>
    </message>
    <message>
        <source>CSV 写入 %1</source>
        <translation>CSV written to %1</translation>
    </message>
    <message>
        <source>--csv 需要一个文件夹（多个串口时每块板卡写一个文件）：无法使用 %1</source>
        <translation>--csv needs a folder (one file per board with several ports): cannot use %1</translation>
    </message>
</context>
</TS>
