// A panel drawn as run mode draws it: the background at its size, every component at its place
// and size with the program's own pictures, the whole scaled to fit its frame. Switches toggle
// on a click, keys are held while the pointer is down (right-click or Ctrl+click latches one),
// the panel's keyboard bindings drive both; read-backs light the LEDs, digits and data slots.
// Every component carries data-kind, data-index and its state (data-on, a digit's data-char).
import { KeyHolds, Keyboard, Latch, Mouse, keyName } from './key_holds';
import { Binding, PanelLayout, Part, kRedLeds } from './panel_layout';
import { Inputs, bit, withBit } from './step_queue';
import { partLabel } from './i18n';

export interface Readback {
  leds?: number;
  digits?: number[];
  cpu_data?: string;
  switches?: number;
  keys?: number;
}

const segmentNames = ['A1', 'B1', 'C1', 'D1', 'E1', 'F1', 'G1', 'H1'];
// Segments a..g (bit 0..6) of the hexadecimal digits.
const digitChars: Record<number, string> = {
  0x3f: '0', 0x06: '1', 0x5b: '2', 0x4f: '3', 0x66: '4', 0x6d: '5', 0x7d: '6', 0x07: '7',
  0x7f: '8', 0x6f: '9', 0x67: '9', 0x77: 'A', 0x7c: 'b', 0x39: 'C', 0x5e: 'd', 0x79: 'E', 0x71: 'F',
};

// The character a digit shows for its lit segments: "" when none is lit, "?" for no hex digit.
export function digitChar(lit: number): string {
  const segs = lit & 0x7f;
  return segs === 0 ? '' : (digitChars[segs] ?? '?');
}

// The data slots' texts from the CPU data (hex, most significant first), as the program cuts
// it: slots in the order of their read positions, each width bits, in upper-case hex.
export function dataTexts(slots: { index: number; bitWidth: number }[], hex: string): string[] {
  const n = slots.length;
  const widths = new Array<number>(n).fill(0);
  const taken = new Array<boolean>(n).fill(false);
  for (const s of slots)
    if (s.index >= 0 && s.index < n && !taken[s.index]) {
      taken[s.index] = true;
      widths[s.index] = s.bitWidth;
    }
  const nibble = (i: number) => {
    const c = i < hex.length ? parseInt(hex[hex.length - 1 - i], 16) : 0;
    return Number.isNaN(c) ? 0 : c;
  };
  const out: string[] = [];
  let cursor = 0;
  for (const w0 of widths) {
    const w = Math.max(w0, 0);
    if (w === 0 || w > 32) {
      out.push('');
    } else {
      let value = 0;
      for (let b = 0; b < w; ++b) {
        const at = cursor + b;
        if ((nibble(Math.floor(at / 4)) >> (at % 4)) & 1) value += 2 ** b;
      }
      out.push(value.toString(16).toUpperCase().padStart(Math.ceil(w / 4), '0'));
    }
    cursor += w;
  }
  return out;
}

function img(src: string, cls: string): HTMLImageElement {
  const i = document.createElement('img');
  i.src = src;
  i.className = cls;
  i.alt = '';
  i.draggable = false;
  return i;
}

const picture = (name: string) => `images/${name}.svg`;
// Lowest layer first, as the program creates them: later kinds lie on top where they overlap.
const layer: Record<string, number> = { key: 0, switch: 1, ledg: 2, ledr: 3, digit: 4, data: 5, text: 5 };

export class PanelView {
  readonly root: HTMLDivElement;
  private readonly panel: HTMLDivElement;
  private readonly els = new Map<string, HTMLElement>(); // "switch3", "led20", ...
  private readonly slotEls: HTMLElement[] = []; // data slots, in the order the panel lists them
  private readonly all: HTMLElement[] = [];
  private inputs: Inputs = { switches: 0, keys: 0 };
  private holds = new KeyHolds();
  private keyboardDown = new Map<string, Binding>();
  private detach: (() => void)[] = [];
  private sawReadback = false;
  private touchedInputs = false;

  // onInputs gets the whole input state after each change; a read-only view (a teacher
  // watching) has none and takes its inputs from the read-backs.
  constructor(
    readonly layout: PanelLayout,
    private readonly onInputs: ((inputs: Inputs) => void) | null,
  ) {
    this.root = document.createElement('div');
    this.root.className = 'panel-frame';
    this.panel = document.createElement('div');
    this.panel.className = 'panel';
    this.root.append(this.panel);
    this.build();
    if (onInputs) this.listenToKeyboard();
    else this.root.classList.add('read-only');
  }

  // Width and height the panel covers: the picture and everything on it.
  get extent(): { w: number; h: number } {
    let w = this.layout.width,
      h = this.layout.height;
    for (const el of this.all) {
      w = Math.max(w, el.offsetLeft + el.offsetWidth);
      h = Math.max(h, el.offsetTop + el.offsetHeight);
    }
    return { w: Math.max(w, 1), h: Math.max(h, 1) };
  }

  // Scales the panel to fit within (maxW, maxH); never larger than twice its size.
  fit(maxW: number, maxH: number): void {
    const { w, h } = this.extent;
    const s = Math.max(0.1, Math.min(maxW / w, maxH / h, 2));
    this.panel.style.width = `${w}px`;
    this.panel.style.height = `${h}px`;
    this.panel.style.transform = `scale(${s})`;
    this.root.style.width = `${Math.floor(w * s)}px`;
    this.root.style.height = `${Math.floor(h * s)}px`;
    this.root.dataset.scale = String(s);
  }

  destroy(): void {
    this.detach.forEach((f) => f());
    this.detach = [];
    this.root.remove();
  }

  private element(part: Part): HTMLElement {
    const el = document.createElement('div');
    el.className = `part ${part.kind}`;
    el.dataset.kind = part.kind;
    el.dataset.index = String(part.index);
    el.style.left = `${part.x}px`;
    el.style.top = `${part.y}px`;
    if (part.kind !== 'data' && part.kind !== 'text') {
      el.style.width = `${part.w}px`;
      el.style.height = `${part.h}px`;
    }
    return el;
  }

  private build(): void {
    const bg = this.layout.background;
    if (bg) {
      const i = img(bg.src, 'panel-bg');
      Object.assign(i.style, { left: `${bg.x}px`, top: `${bg.y}px`, width: `${bg.w}px`, height: `${bg.h}px` });
      this.panel.append(i);
    }
    const order = (p: Part) => layer[p.kind === 'led' ? (p.green ? 'ledg' : 'ledr') : p.kind];
    const parts = this.layout.parts
      .map((p, at) => ({ p, at }))
      .sort((a, b) => order(a.p) - order(b.p) || (order(a.p) < 5 ? a.p.index - b.p.index : a.at - b.at));
    for (const { p } of parts) {
      const el = this.element(p);
      el.title = partLabel(p.kind, p.index, this.bindingOf(p));
      switch (p.kind) {
        case 'switch':
          el.append(img(picture(p.upright ? 'switch_0' : 'switch_0_lay'), 'face'));
          el.dataset.on = '0';
          el.tabIndex = -1;
          if (this.onInputs) this.listen(el, 'click', () => this.setSwitch(p.index, !bit(this.inputs.switches, p.index)));
          break;
        case 'key':
          el.append(img(picture('KEY1'), 'face'));
          el.dataset.on = '0';
          if (this.onInputs) this.listenToKey(el, p.index);
          break;
        case 'led':
          el.append(img(picture('led_off'), 'face'));
          el.dataset.on = '0';
          break;
        case 'digit':
          el.append(img(picture('BG'), 'layer'));
          for (let s = 0; s < 8; ++s) {
            const seg = img(picture(segmentNames[s]), 'layer');
            seg.hidden = true;
            el.append(seg);
          }
          el.dataset.on = '0';
          el.dataset.char = '';
          break;
        case 'data':
          el.textContent = this.slotText(p, p.text ?? '');
          break;
        case 'text':
          el.textContent = p.text ?? '';
          break;
      }
      if (p.kind === 'data') this.slotEls.push(el);
      else if (p.kind !== 'text') this.els.set(`${p.kind}${p.index}`, el);
      this.all.push(el);
      this.panel.append(el);
    }
  }

  private bindingOf(p: Part): string {
    if (p.kind !== 'switch' && p.kind !== 'key') return '';
    return this.layout.bindings.find((b) => b.kind === p.kind && b.index === p.index)?.key ?? '';
  }

  private slotText(p: Part, text: string): string {
    return p.vertical ? [...text].join('\n') : text;
  }

  private listen<K extends keyof HTMLElementEventMap>(
    target: HTMLElement,
    type: K,
    f: (e: HTMLElementEventMap[K]) => void,
  ): void {
    target.addEventListener(type, f);
  }

  private listenToKey(el: HTMLElement, index: number): void {
    let latchClick = false;
    this.listen(el, 'contextmenu', (e) => e.preventDefault());
    this.listen(el, 'pointerdown', (e) => {
      e.preventDefault();
      // Any press on a latched key lets it go; right-click or Ctrl+click latches it.
      if (this.holds.has(index, Latch)) {
        latchClick = true;
        this.letGo(index, Latch);
        return;
      }
      if (e.button === 2 || (e.button === 0 && e.ctrlKey)) {
        latchClick = true;
        this.hold(index, Latch);
        return;
      }
      if (e.button !== 0) return;
      latchClick = false;
      el.setPointerCapture?.(e.pointerId);
      this.hold(index, Mouse);
    });
    const up = () => {
      if (latchClick) {
        latchClick = false;
        return;
      }
      this.letGo(index, Mouse);
    };
    this.listen(el, 'pointerup', up);
    this.listen(el, 'pointercancel', up);
  }

  private listenToKeyboard(): void {
    const typing = (t: EventTarget | null) =>
      t instanceof HTMLInputElement || t instanceof HTMLTextAreaElement || t instanceof HTMLSelectElement;
    const down = (e: KeyboardEvent) => {
      if (e.ctrlKey || e.altKey || e.metaKey || typing(e.target)) return;
      const b = this.layout.bindings.find((x) => x.key === keyName(e));
      if (!b || !this.has(b.kind, b.index)) return;
      e.preventDefault();
      // A held key repeats: it is still the one press.
      if (e.repeat || this.keyboardDown.has(e.code || e.key)) return;
      this.keyboardDown.set(e.code || e.key, b);
      if (b.kind === 'switch') this.setSwitch(b.index, !bit(this.inputs.switches, b.index));
      else this.hold(b.index, Keyboard);
    };
    const up = (e: KeyboardEvent) => {
      // A release is matched by what its press was matched by.
      const b = this.keyboardDown.get(e.code || e.key);
      if (!b) return;
      e.preventDefault();
      this.keyboardDown.delete(e.code || e.key);
      if (b.kind === 'key') this.letGo(b.index, Keyboard);
    };
    // Keys let go while another window has the keyboard send no release here.
    const blur = () => {
      this.keyboardDown.clear();
      for (const k of this.holds.heldBy(Keyboard)) this.letGo(k, Keyboard);
    };
    document.addEventListener('keydown', down);
    document.addEventListener('keyup', up);
    window.addEventListener('blur', blur);
    this.detach.push(() => {
      document.removeEventListener('keydown', down);
      document.removeEventListener('keyup', up);
      window.removeEventListener('blur', blur);
    });
  }

  private has(kind: string, index: number): boolean {
    return this.els.has(`${kind}${index}`);
  }

  private changed(): void {
    this.touchedInputs = true;
    this.onInputs?.({ ...this.inputs });
  }

  private setSwitch(index: number, on: boolean): void {
    this.inputs.switches = withBit(this.inputs.switches, index, on);
    this.drawSwitch(index, on);
    this.changed();
  }

  private hold(index: number, source: number): void {
    if (!this.holds.hold(index, source)) return;
    this.inputs.keys = withBit(this.inputs.keys, index, true);
    this.drawKey(index, true);
    this.changed();
  }

  private letGo(index: number, source: number): void {
    const released = this.holds.letGo(index, source);
    if (!released) return;
    this.inputs.keys = withBit(this.inputs.keys, index, false);
    this.drawKey(index, false);
    this.changed();
  }

  private drawSwitch(index: number, on: boolean): void {
    const el = this.els.get(`switch${index}`);
    if (!el) return;
    const part = this.layout.parts.find((p) => p.kind === 'switch' && p.index === index);
    (el.firstChild as HTMLImageElement).src = picture(`switch_${on ? 1 : 0}${part?.upright === false ? '_lay' : ''}`);
    el.dataset.on = on ? '1' : '0';
  }

  private drawKey(index: number, down: boolean): void {
    const el = this.els.get(`key${index}`);
    if (!el) return;
    (el.firstChild as HTMLImageElement).src = picture(down ? 'KEY0' : 'KEY1');
    el.dataset.on = down ? '1' : '0';
    el.classList.toggle('latched', this.holds.has(index, Latch));
  }

  // Every key up, as when the hold ends; the board hears of it when tell is set.
  releaseAll(tell: boolean): void {
    this.keyboardDown.clear();
    for (const k of this.holds.clear()) this.drawKey(k, false);
    const hadKeys = this.inputs.keys !== 0;
    this.inputs.keys = 0;
    if (tell && hadKeys) this.changed();
  }

  // Draws a read-back: LEDs, digits, data slots; the switches and keys too for a view that
  // does not drive the board, or before this page has changed anything (a reloaded tab).
  show(r: Readback): void {
    const adopt = !this.onInputs || (!this.sawReadback && !this.touchedInputs);
    this.sawReadback = true;
    if (adopt && typeof r.switches === 'number') {
      this.inputs.switches = r.switches;
      for (const p of this.layout.parts) if (p.kind === 'switch') this.drawSwitch(p.index, bit(r.switches, p.index));
    }
    if (!this.onInputs && typeof r.keys === 'number')
      for (const p of this.layout.parts) if (p.kind === 'key') this.drawKey(p.index, bit(r.keys, p.index));
    if (typeof r.leds === 'number') {
      for (const p of this.layout.parts) {
        if (p.kind !== 'led') continue;
        const on = bit(r.leds, p.index);
        const el = this.els.get(`led${p.index}`);
        if (!el || el.dataset.on === (on ? '1' : '0')) continue;
        (el.firstChild as HTMLImageElement).src = picture(on ? (p.index >= kRedLeds ? 'led_green' : 'led_red') : 'led_off');
        el.dataset.on = on ? '1' : '0';
      }
    }
    if (Array.isArray(r.digits)) {
      r.digits.forEach((raw, i) => {
        const el = this.els.get(`digit${i}`);
        if (!el || typeof raw !== 'number') return;
        // The board's digit register lights a segment with a 0.
        const lit = ~raw & 0xff;
        const layers = el.children;
        for (let s = 0; s < 8; ++s) (layers[s + 1] as HTMLElement).hidden = ((lit >> s) & 1) === 0;
        el.dataset.on = lit ? '1' : '0';
        el.dataset.char = digitChar(lit);
        el.dataset.point = lit & 0x80 ? '1' : '0';
      });
    }
    if (typeof r.cpu_data === 'string') {
      const slots = this.layout.parts.filter((p) => p.kind === 'data');
      const texts = dataTexts(
        slots.map((s) => ({ index: s.index, bitWidth: s.bitWidth ?? 0 })),
        r.cpu_data,
      );
      slots.forEach((s, at) => {
        const el = this.slotEls[at];
        // A slot whose index no read position has was not read: it keeps what it shows.
        if (el && s.index >= 0 && s.index < texts.length) el.textContent = this.slotText(s, texts[s.index]);
      });
    }
  }
}
