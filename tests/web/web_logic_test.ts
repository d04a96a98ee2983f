// The web client's logic without a browser: where a panel's components lie, the keyboard
// bindings, the data slots' and digits' texts, key holds and the step queue.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { KeyHolds, Keyboard, Latch, Mouse, keyName } from '../../web/src/key_holds';
import { layoutFromJvp, layoutFromPorts, readBindings } from '../../web/src/panel_layout';
import { dataTexts, digitChar } from '../../web/src/panel_view';
import { StepQueue, andNot, bit, withBit } from '../../web/src/step_queue';

const at = (l: ReturnType<typeof layoutFromJvp>, kind: string, index: number) =>
  l.parts.find((p) => p.kind === kind && p.index === index);

test('a .jvp is laid out as the desktop program lays it out', () => {
  const pic = 'data:image/png;base64,iVBORw0KGgo=';
  const cases = [
    {
      what: 'positions are relative to the picture centre',
      file: { backgroundImage: pic, backgroundSize: { x: 200, y: 100 }, switchSize: { x: 24, y: 42 },
        components: [{ type: 'switch', index: 3, position: { x: 10, y: -20 }, value: { isVertical: false } }] },
      size: [200, 100], bg: { x: 0, y: 0, w: 200, h: 100 }, part: ['switch', 3, { x: 110, y: 30, w: 42, h: 24 }],
    },
    {
      what: 'a component left of and above the picture widens the panel',
      file: { backgroundImage: pic, backgroundSize: { x: 200, y: 100 },
        components: [{ type: 'led', index: 20, position: { x: -130, y: -60 } }] },
      size: [230, 110], bg: { x: 30, y: 10, w: 200, h: 100 }, part: ['led', 20, { x: 0, y: 0, w: 26, h: 26, green: true }],
    },
    {
      what: 'panelSize wins and the prefix alone is no picture',
      file: { backgroundImage: 'data:image/png;base64,', panelSize: { x: 300, y: 200 }, backgroundSize: { x: 1, y: 1 },
        ledSize: { x: 6, y: 6 }, components: [{ type: 'ledg', index: 2, position: { x: 0, y: 0 } }] },
      size: [300, 200], bg: null, part: ['led', 20, { x: 150, y: 100, w: 16, h: 16, green: true }],
    },
    {
      what: 'no size member: the file positions as they are',
      file: { buttonSize: { x: 9999, y: 30 }, components: [{ type: 'button', index: 19, position: { x: 5, y: 7 } }] },
      size: [0, 0], bg: null, part: ['key', 19, { x: 5, y: 7, w: 1024, h: 30 }],
    },
  ];
  for (const c of cases) {
    const l = layoutFromJvp(c.file);
    assert.deepEqual([l.width, l.height], c.size, c.what);
    assert.deepEqual(l.background && { x: l.background.x, y: l.background.y, w: l.background.w, h: l.background.h }, c.bg, c.what);
    const [kind, index, want] = c.part as [string, number, Record<string, unknown>];
    const got = at(l, kind, index) as unknown as Record<string, unknown>;
    for (const k of Object.keys(want)) assert.equal(got?.[k], want[k], `${c.what}: ${k}`);
  }
  const dropped = layoutFromJvp({ components: [{ type: 'switch', index: 36 }, { type: 'sstube', index: -1 },
    { type: 'led', index: 40 }, { type: 'nothing', index: 0 }, 'junk'] });
  assert.equal(dropped.parts.length, 0, 'components out of range or of no kind are dropped');
  assert.throws(() => layoutFromJvp([1, 2]));
});

test('keyboard bindings: the defaults, one key a component, bad entries skipped', () => {
  assert.deepEqual(readBindings(undefined).map((b) => `${b.kind}${b.index}=${b.key}`),
    ['key0=0', 'key1=1', 'key2=2', 'key3=3', 'key4=4', 'key5=5', 'key6=6', 'key7=7', 'key8=8', 'key9=9']);
  const b = readBindings([
    { type: 'switch', index: 0, key: 'A' },
    { type: 'button', index: 1, key: 'A' }, // takes A from switch 0
    { type: 'button', index: 1, key: 'F5' }, // and gives it up for F5
    { type: 'switch', index: 36, key: 'B' },
    { type: 'led', index: 0, key: 'C' },
    { type: 'switch', index: 1.5, key: 'D' },
  ]);
  assert.deepEqual(b, [{ kind: 'key', index: 1, key: 'F5' }]);
  const cases: [Parameters<typeof keyName>[0], string][] = [
    [{ key: 'a' }, 'A'], [{ key: ' ' }, 'Space'], [{ key: 'ArrowLeft' }, 'Left'], [{ key: 'PageDown' }, 'PgDown'],
    [{ key: 'Enter', location: 3 }, 'Enter'], [{ key: 'Enter', location: 0 }, 'Return'], [{ key: 'F12' }, 'F12'],
    [{ key: 'Shift' }, ''], [{ key: '7' }, '7'],
  ];
  for (const [e, name] of cases) assert.equal(keyName(e), name, e.key);
});

test('a design panel puts its components where the desktop program does', () => {
  const l = layoutFromPorts({ top: 'adder', switches: 9, keys: 0, red: 5, green: 0, digits: 2 });
  const where = (kind: string, i: number) => [at(l, kind, i)?.x, at(l, kind, i)?.y];
  assert.deepEqual(where('digit', 0), [437, 30]);
  assert.deepEqual(where('digit', 1), [408, 30]);
  assert.deepEqual(where('led', 0), [422, 87]);
  assert.deepEqual(where('switch', 0), [428, 143]);
  assert.deepEqual(where('switch', 8), [44, 143]);
  const rows = layoutFromPorts({ top: 't', switches: 20, keys: 0, red: 0, green: 2, digits: 0 });
  assert.deepEqual([at(rows, 'switch', 18)?.x, at(rows, 'switch', 18)?.y], [at(rows, 'switch', 0)?.x, 30 + 56 + 59]);
  assert.equal(at(rows, 'led', 19)?.green, true);
});

test('data slots and digits read as the program reads them', () => {
  const slots = [{ index: 1, bitWidth: 8 }, { index: 0, bitWidth: 4 }, { index: 7, bitWidth: 4 }];
  assert.deepEqual(dataTexts(slots, 'abc'), ['C', 'AB', '']);
  assert.deepEqual(dataTexts([{ index: 0, bitWidth: 12 }], '1'), ['001']);
  assert.deepEqual(dataTexts([{ index: 0, bitWidth: 33 }], 'ff'), ['']);
  const chars: [number, string][] = [[0x3f, '0'], [0xbf, '0'], [0x7d, '6'], [0x71, 'F'], [0, ''], [0x80, ''], [0x49, '?']];
  for (const [lit, c] of chars) assert.equal(digitChar(lit), c, lit.toString(16));
});

test('key holds: one press for the first reason, one release for the last', () => {
  const h = new KeyHolds();
  assert.equal(h.hold(2, Mouse), true);
  assert.equal(h.hold(2, Keyboard), false);
  assert.equal(h.letGo(2, Mouse), false);
  assert.equal(h.isDown(2), true);
  assert.equal(h.letGo(2, Keyboard), true);
  assert.equal(h.letGo(2, Keyboard), false);
  h.hold(4, Latch);
  assert.deepEqual(h.heldBy(Latch), [4]);
  assert.deepEqual(h.clear(), [4]);
});

test('bit sets past 32 bits', () => {
  const v = withBit(withBit(0, 35, true), 1, true);
  assert.equal(v, 2 ** 35 + 2);
  assert.equal(bit(v, 35), true);
  assert.equal(bit(v, 34), false);
  assert.equal(withBit(v, 35, false), 2);
  assert.equal(andNot(v, 2), 2 ** 35);
});

test('the step queue sends one step at a time, the latest state, a quick press as a pulse', async () => {
  const sent: Record<string, number>[] = [];
  let answer: () => void = () => undefined;
  const q = new StepQueue((body) => {
    sent.push(body);
    return new Promise<void>((r) => (answer = r));
  });
  q.offer({ switches: 1, keys: 0 });
  q.offer({ switches: 3, keys: 0 });
  q.offer({ switches: 3, keys: 4 }); // key 2 pressed
  q.offer({ switches: 7, keys: 0 }); // and let go before the first step was answered
  assert.equal(sent.length, 1);
  answer();
  await new Promise((r) => setTimeout(r, 0));
  assert.deepEqual(sent, [{ switches: 1, keys: 0 }, { switches: 7, keys: 0, pulse: 4 }]);
  answer();
  await new Promise((r) => setTimeout(r, 0));
  assert.equal(sent.length, 2);
});
