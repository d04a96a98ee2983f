// Where each component of a panel lies and how big it is, as the desktop program places it in
// run mode: from a .jvp file (positions relative to the picture's centre, the panel widened for
// components left of or above the picture) or, for a design without a panel, from its ports.

export type PartKind = 'switch' | 'key' | 'led' | 'digit' | 'data' | 'text';

export interface Part {
  kind: PartKind;
  // The panel's numbering: switch, key and digit i; red LED i and green LED 18 + i; a data
  // slot's read position.
  index: number;
  x: number;
  y: number;
  w: number;
  h: number;
  green?: boolean; // LEDs
  upright?: boolean; // switches: a lying switch swaps width and height
  text?: string; // data slots and text labels
  vertical?: boolean; // data slots written one character a line
  bitWidth?: number; // data slots
}

export interface Picture {
  src: string; // a data: URL
  x: number;
  y: number;
  w: number;
  h: number;
}

export interface Binding {
  kind: 'switch' | 'key';
  index: number;
  key: string; // the key's name as panel files write it: "A", "F5", "Space"
}

export interface PanelLayout {
  name: string;
  width: number;
  height: number;
  background: Picture | null;
  parts: Part[];
  bindings: Binding[];
}

export const kSwitches = 36;
export const kKeys = 20;
export const kRedLeds = 18;
export const kGreenLeds = 18;
export const kDigits = 8;
// Bounds for what a file may ask for: sizes, places and how many slots and labels.
const kMaxSide = 1024;
const kMaxPlace = 1000000;
const kMaxListEntries = 10000;

type Json = Record<string, unknown>;

function obj(v: unknown): Json {
  return v !== null && typeof v === 'object' && !Array.isArray(v) ? (v as Json) : {};
}

// Absent, fractional or out-of-int numbers read as 0, as the desktop reader takes them.
function int(v: unknown): number {
  return typeof v === 'number' && Number.isInteger(v) && v <= 2147483647 && v >= -2147483648 ? v : 0;
}

function str(v: unknown): string {
  return typeof v === 'string' ? v : '';
}

const clamp = (v: number, lo: number, hi: number) => Math.min(hi, Math.max(lo, v));

function size(top: Json, key: string, fallback: [number, number], grow = 0): [number, number] | null {
  if (!(key in top)) return fallback ? null : null;
  const o = obj(top[key]);
  return [int(o.x) + grow, int(o.y) + grow];
}

function sized(top: Json, key: string, fallback: [number, number], grow = 0): [number, number] {
  const s = size(top, key, fallback, grow) ?? fallback;
  return [clamp(s[0], 0, kMaxSide), clamp(s[1], 0, kMaxSide)];
}

// Digit keys 0-9 hold keys K0-K9 on a panel without bindings of its own.
export function defaultBindings(): Binding[] {
  return Array.from({ length: 10 }, (_, i) => ({ kind: 'key' as const, index: i, key: String(i) }));
}

// One keyboard key drives one component and a component has one key: a later entry takes the
// key or the component from an earlier one. Absent or mistyped: the defaults.
export function readBindings(member: unknown): Binding[] {
  if (!Array.isArray(member)) return defaultBindings();
  const out: Binding[] = [];
  for (const entry of member.slice(0, 4 * (kSwitches + kKeys))) {
    const o = obj(entry);
    const kind = o.type === 'switch' ? 'switch' : o.type === 'button' ? 'key' : null;
    const index = o.index;
    const key = str(o.key);
    if (!kind || typeof index !== 'number' || !Number.isInteger(index) || !key || key.length > 32) continue;
    if (index < 0 || index >= (kind === 'switch' ? kSwitches : kKeys)) continue;
    for (let i = out.length - 1; i >= 0; --i)
      if ((out[i].kind === kind && out[i].index === index) || out[i].key === key) out.splice(i, 1);
    out.push({ kind, index, key });
  }
  return out;
}

// The background's data: URL, when it carries a picture (the prefix alone carries none).
function pictureSource(text: string): string | null {
  const m = /^data:image\/([A-Za-z0-9.+-]{1,16});base64,/.exec(text);
  if (!m || text.length === m[0].length) return null;
  return text;
}

// A .jvp file's JSON as run mode lays it out. Throws for a file that is not a JSON object.
export function layoutFromJvp(file: unknown): PanelLayout {
  if (file === null || typeof file !== 'object' || Array.isArray(file)) throw new Error('not a panel');
  const top = file as Json;
  const comps = Array.isArray(top.components) ? (top.components as unknown[]) : [];
  const posOf = (c: unknown) => {
    const p = obj(obj(c).position);
    return [int(p.x), int(p.y)];
  };

  // The panel's size and where the file's origin lies on it, as the desktop reader derives them.
  let panelW = 0,
    panelH = 0,
    offX = 0,
    offY = 0,
    extW = 0,
    extH = 0;
  const panelSize = size(top, 'panelSize', [0, 0]);
  const bgSize = size(top, 'backgroundSize', [0, 0]);
  if (panelSize) {
    [panelW, panelH] = panelSize;
    offX = -Math.trunc(panelW / 2);
    offY = -Math.trunc(panelH / 2);
  } else if (bgSize) {
    let mx = 10000,
      my = 10000;
    for (const c of comps) {
      const [x, y] = posOf(c);
      mx = Math.min(mx, x);
      my = Math.min(my, y);
    }
    let [w, h] = bgSize;
    if (w === 0 || h === 0) {
      offX = mx;
      offY = my;
    } else {
      const cx = -Math.trunc(w / 2),
        cy = -Math.trunc(h / 2);
      offX = cx;
      offY = cy;
      if (mx < cx) {
        offX = mx;
        extW = Math.min(cx - mx, kMaxPlace);
        w = Math.min(w + extW, kMaxPlace);
      }
      if (my < cy) {
        offY = my;
        extH = Math.min(cy - my, kMaxPlace);
        h = Math.min(h + extH, kMaxPlace);
      }
    }
    panelW = w;
    panelH = h;
  }
  panelW = clamp(panelW, -kMaxPlace, kMaxPlace);
  panelH = clamp(panelH, -kMaxPlace, kMaxPlace);

  const [sw, sh] = sized(top, 'switchSize', [30, 60]);
  const [kw, kh] = sized(top, 'buttonSize', [40, 40]);
  // Files carry 16 x 16 and readers add 10 to each side.
  const [lw, lh] = sized(top, 'ledSize', [26, 26], 10);
  const [dw, dh] = sized(top, 'sstubeSize', [40, 60]);

  const parts: Part[] = [];
  const seen = new Set<string>();
  let slots = 0,
    labels = 0;
  for (const c of comps) {
    const o = obj(c);
    const type = str(o.type);
    let index = int(o.index);
    const [px, py] = posOf(c);
    const x = clamp(px - offX, -kMaxPlace, kMaxPlace),
      y = clamp(py - offY, -kMaxPlace, kMaxPlace);
    const value = o.value;
    let part: Part | null = null;
    if (type === 'switch') {
      const iv = obj(value).isVertical;
      const upright = iv === undefined || iv === null || iv === true;
      if (index >= 0 && index < kSwitches)
        part = { kind: 'switch', index, x, y, w: upright ? sw : sh, h: upright ? sh : sw, upright };
    } else if (type === 'button') {
      if (index >= 0 && index < kKeys) part = { kind: 'key', index, x, y, w: kw, h: kh };
    } else if (type === 'sstube') {
      if (index >= 0 && index < kDigits) part = { kind: 'digit', index, x, y, w: dw, h: dh };
    } else if (type === 'led' || type === 'ledr' || type === 'ledg') {
      let green = type === 'ledg';
      if (type === 'led') green = index >= kRedLeds && index < kRedLeds + kGreenLeds;
      else if (green) index += kRedLeds;
      const own = green ? index - kRedLeds : index;
      if (own >= 0 && own < (green ? kGreenLeds : kRedLeds)) part = { kind: 'led', index, x, y, w: lw, h: lh, green };
    } else if (type === 'data' && ++slots <= kMaxListEntries) {
      const v = obj(value);
      part = {
        kind: 'data',
        index,
        x,
        y,
        w: 0,
        h: 0,
        text: str(v.data),
        vertical: v.isVertical === true,
        bitWidth: int(v.bitWidth),
      };
    } else if (type === 'text' && ++labels <= kMaxListEntries) {
      part = { kind: 'text', index, x, y, w: 0, h: 0, text: str(value) };
    }
    if (!part) continue;
    // A component listed twice is one widget, placed where its last entry says.
    const id = part.kind === 'data' || part.kind === 'text' ? '' : `${part.kind}${part.index}`;
    if (id && seen.has(id)) {
      const at = parts.findIndex((p) => `${p.kind}${p.index}` === id);
      parts.splice(at, 1);
    }
    if (id) seen.add(id);
    parts.push(part);
  }

  const src = pictureSource(str(top.backgroundImage));
  const background =
    src && panelW - extW > 0 && panelH - extH > 0 ? { src, x: extW, y: extH, w: panelW - extW, h: panelH - extH } : null;
  return {
    name: str(top.name),
    width: Math.max(panelW, 0),
    height: Math.max(panelH, 0),
    background,
    parts,
    bindings: readBindings(top.keyBindings),
  };
}

// What a design's top module carries (the describe answer), counts bounded by the board's.
export interface Ports {
  top: string;
  switches: number;
  keys: number;
  red: number;
  green: number;
  digits: number;
}

export function portsOf(describe: unknown): Ports {
  const o = obj(describe);
  const count = (k: string, max: number) => clamp(int(o[k]), 0, max);
  return {
    top: str(o.top),
    switches: count('switches', kSwitches),
    keys: count('keys', kKeys),
    red: count('red', kRedLeds),
    green: count('green', kGreenLeds),
    digits: count('digits', kDigits),
  };
}

// The desktop program's panel for a design: digits on top, then red and green LEDs, switches
// and keys, each kind in rows of at most 18, component 0 at the right end of its row, at the
// program's default component sizes.
export function layoutFromPorts(ports: Ports): PanelLayout {
  const perRow = 18,
    margin = 30,
    gap = 8,
    rowGap = 24;
  const sw = { w: 20, h: 35 },
    key = { w: 40, h: 40 },
    led = { w: 32, h: 32 },
    digit = { w: 21, h: 33 };
  const pitch = Math.max(sw.w, key.w, led.w) + gap;
  const columns = Math.max(1, Math.min(perRow, Math.max(ports.switches, ports.keys, ports.red, ports.green)));
  const digitPitch = digit.w + gap;
  const right = margin + Math.max(columns * pitch, ports.digits * digitPitch);
  const parts: Part[] = [];
  let y = margin;
  for (let i = 0; i < ports.digits; ++i)
    parts.push({ kind: 'digit', index: i, x: right - (i + 1) * digitPitch + gap / 2, y, w: digit.w, h: digit.h });
  if (ports.digits > 0) y += digit.h + rowGap;
  const rows = (count: number, s: { w: number; h: number }, make: (i: number, x: number, y: number) => Part) => {
    for (let i = 0; i < count; ++i) {
      const row = Math.trunc(i / perRow),
        column = i % perRow;
      parts.push(make(i, right - (column + 1) * pitch + Math.trunc((pitch - s.w) / 2), y + row * (s.h + rowGap)));
    }
    y += Math.trunc((count + perRow - 1) / perRow) * (s.h + rowGap);
  };
  rows(ports.red, led, (i, x, y) => ({ kind: 'led', index: i, x, y, w: led.w, h: led.h, green: false }));
  rows(ports.green, led, (i, x, y) => ({ kind: 'led', index: kRedLeds + i, x, y, w: led.w, h: led.h, green: true }));
  rows(ports.switches, sw, (i, x, y) => ({ kind: 'switch', index: i, x, y, w: sw.w, h: sw.h, upright: true }));
  rows(ports.keys, key, (i, x, y) => ({ kind: 'key', index: i, x, y, w: key.w, h: key.h }));
  return { name: ports.top, width: 0, height: 0, background: null, parts, bindings: defaultBindings() };
}
