// Why each panel key is down: held by the pointer, by its keyboard key, or latched. The board
// sees one press when the first reason comes and one release when the last one goes.

export const Mouse = 1,
  Keyboard = 2,
  Latch = 4;

export class KeyHolds {
  private why = new Map<number, number>();

  // True when the key was up, so the board must see a press.
  hold(key: number, source: number): boolean {
    const before = this.why.get(key) ?? 0;
    this.why.set(key, before | source);
    return before === 0;
  }

  // True when that was the last reason, so the board must see a release.
  letGo(key: number, source: number): boolean {
    const before = this.why.get(key) ?? 0;
    const after = before & ~source;
    if (after) this.why.set(key, after);
    else this.why.delete(key);
    return before !== 0 && after === 0;
  }

  has(key: number, source: number): boolean {
    return ((this.why.get(key) ?? 0) & source) !== 0;
  }

  isDown(key: number): boolean {
    return this.why.has(key);
  }

  heldBy(source: number): number[] {
    return [...this.why.entries()].filter(([, w]) => w & source).map(([k]) => k);
  }

  // Every key up; the keys that were down.
  clear(): number[] {
    const down = [...this.why.keys()];
    this.why.clear();
    return down;
  }
}

// The name panel files give the key of a keyboard event ("A", "5", "F5", "Space", "Left"),
// or "" for a key no binding can name.
export function keyName(e: { key: string; location?: number }): string {
  const named: Record<string, string> = {
    ' ': 'Space',
    ArrowLeft: 'Left',
    ArrowRight: 'Right',
    ArrowUp: 'Up',
    ArrowDown: 'Down',
    PageUp: 'PgUp',
    PageDown: 'PgDown',
    Insert: 'Ins',
    Delete: 'Del',
    Backspace: 'Backspace',
    Home: 'Home',
    End: 'End',
    Pause: 'Pause',
    PrintScreen: 'Print',
    Clear: 'Clear',
  };
  if (e.key === 'Enter') return e.location === 3 ? 'Enter' : 'Return';
  if (e.key in named) return named[e.key];
  if (/^F([1-9]|[12][0-9]|3[0-5])$/.test(e.key)) return e.key;
  if ([...e.key].length === 1) return e.key.toUpperCase();
  return '';
}
