// The page's texts in Chinese and English: chosen by the browser's language, switched on the
// page and kept for the tab. Where a text means what a text of the desktop program means, it
// is that text (resources/translations/english.ts).

type Texts = Record<string, [string, string]>; // key -> [Chinese, English]

const texts: Texts = {
  title: ['Brixo 远程实验室', 'Brixo remote lab'],
  signIn: ['登录', 'Sign in'],
  signOut: ['注销', 'Sign out'],
  user: ['用户名：', 'User: '],
  password: ['密码：', 'Password: '],
  signInFailed: ['登录失败：%1', 'Sign-in failed: %1'],
  signedInAs: ['%1（%2）', '%1 (%2)'],
  boards: ['实验板', 'Boards'],
  board: ['实验板', 'Board'],
  kind: ['种类', 'Kind'],
  state: ['状态', 'State'],
  queue: ['排队', 'Queue'],
  waiting: ['排队人数', 'Waiting'],
  holder: ['使用者', 'Holder'],
  actions: ['操作', 'Actions'],
  free: ['空闲', 'free'],
  held: ['使用中', 'held'],
  resetting: ['复位中', 'resetting'],
  broken: ['故障', 'broken'],
  joinQueue: ['排队等待实验板', 'Queue for a board'],
  release: ['归还实验板', 'Release the board'],
  leaveQueue: ['离开队列', 'Leave the queue'],
  queued: ['等待种类为 %1 的实验板：队列中第 %2 位', 'waiting for a board of kind %1: place %2 in the queue'],
  holding: ['正在使用实验板 %1', 'Using board %1'],
  secondsLeft: ['剩余 %1 秒', '%1 s left'],
  noBoard: ['没有实验板。选择种类后排队。', 'No board. Choose a kind and queue for it.'],
  holdEnd: ['实验板已归还：%1', 'The board was given back: %1'],
  why_slice: ['使用时间已到', 'the time is up'],
  why_released: ['已归还', 'released'],
  why_idle: ['长时间没有操作', 'idle too long'],
  why_kicked: ['教师结束了使用', 'a teacher ended the hold'],
  why_removed: ['实验板已移除', 'the board was removed'],
  configure: ['下载FPGA', 'Configure FPGA'],
  configureFile: ['FPGA配置文件 (*.rbf)', 'FPGA Configration File (*.rbf)'],
  configureDone: ['配置FPGA成功！', 'Configure FPGA Success!'],
  configureFailed: ['配置FPGA失败。', 'Configure FPGA failure.'],
  configureCancelled: ['FPGA配置下载已取消。', 'The FPGA configuration download was cancelled.'],
  cancel: ['取消', 'Cancel'],
  uploading: ['正在上传 %1%', 'Uploading %1%'],
  downloading: ['正在下载 %1 / %2 字节', 'Downloading %1 / %2 bytes'],
  simulate: ['仿真Verilog设计', 'Simulate Verilog Design'],
  designFiles: ['Verilog设计文件 (*.v *.sv)', 'Verilog design files (*.v *.sv)'],
  topModule: ['顶层模块', 'Top module'],
  compiling: ['正在编译设计 %1 …', 'Compiling design %1 …'],
  designFailed: ['设计无法仿真，仿真器报告了以下问题：', 'The design cannot be simulated. The simulator reported:'],
  simulating: ['正在仿真设计 %1', 'Simulating design %1'],
  stopSimulation: ['结束仿真', 'Stop the simulation'],
  dumpSignals: ['记录设计内部信号', "Record the design's own signals"],
  stopAndSaveSignals: ['结束仿真并保存波形', 'Stop and save the waveform'],
  tooManyFiles: ['设计文件超过 %1 个', 'more than %1 design files'],
  tooLarge: ['设计文件太大：%1', 'design file too large: %1'],
  teacher: ['教师', 'Teacher'],
  kick: ['结束使用', 'Kick'],
  extend: ['延长', 'Extend'],
  fixed: ['已修好', 'Mark fixed'],
  watch: ['观看', 'Watch'],
  stopWatching: ['停止观看', 'Stop watching'],
  watching: ['正在观看实验板 %1（只读）', 'Watching board %1 (read-only)'],
  language: ['English', '中文'],
  error: ['错误：%1', 'Error: %1'],
  connectionLost: ['与服务器的连接已断开，正在重新连接…', 'The connection to the server was lost; reconnecting…'],
  switchPart: ['开关', 'Switch '],
  keyPart: ['按键', 'Key '],
  ledPart: ['指示灯', 'LED '],
  digitPart: ['数码管', 'Digit '],
  dataPart: ['数据槽', 'Data Slot'],
  keyboardKey: ['（键盘 %1）', ' (keyboard %1)'],
};

export type TextKey = keyof typeof texts;

let english = false;
const listeners: (() => void)[] = [];

export function chooseLanguage(): void {
  const kept = sessionStorage.getItem('brixo.language');
  english = kept ? kept === 'en' : !(navigator.language || 'zh').toLowerCase().startsWith('zh');
  document.documentElement.lang = english ? 'en' : 'zh-CN';
}

export function isEnglish(): boolean {
  return english;
}

export function setEnglish(on: boolean): void {
  english = on;
  sessionStorage.setItem('brixo.language', on ? 'en' : 'zh');
  document.documentElement.lang = on ? 'en' : 'zh-CN';
  listeners.forEach((f) => f());
}

// Called again whenever the language changes.
export function onLanguage(f: () => void): void {
  listeners.push(f);
}

export function tr(key: TextKey, ...args: (string | number)[]): string {
  let s = texts[key][english ? 1 : 0];
  args.forEach((a, i) => (s = s.split(`%${i + 1}`).join(String(a))));
  return s;
}

// Fills every element marked data-text="key" (its text) or data-placeholder="key".
export function translatePage(root: ParentNode = document): void {
  root.querySelectorAll<HTMLElement>('[data-text]').forEach((el) => {
    el.textContent = tr(el.dataset.text as TextKey);
  });
  document.title = tr('title');
}

// "指示灯18" and the keyboard key that drives it, as the program's tool tips.
export function partLabel(kind: string, index: number, key: string): string {
  const name: Record<string, TextKey> = {
    switch: 'switchPart',
    key: 'keyPart',
    led: 'ledPart',
    digit: 'digitPart',
    data: 'dataPart',
  };
  if (!(kind in name)) return '';
  const label = tr(name[kind]) + (kind === 'data' ? '' : String(index));
  return key ? label + tr('keyboardKey', key) : label;
}
