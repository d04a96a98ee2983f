// One step in flight at a time: what changes meanwhile waits in place of what waited before,
// each step carrying the whole input state, and a key pressed and let go while it waited is
// sent as a pulse, so a click is never lost and never sent twice.

export interface Inputs {
  switches: number;
  keys: number;
}

export class StepQueue {
  private busy = false;
  private waiting: Inputs | null = null;
  private pressedMeanwhile = 0;
  private last: Inputs = { switches: 0, keys: 0 };

  // send makes one step and resolves when it is answered (or failed).
  constructor(private readonly send: (body: Record<string, number>) => Promise<void>) {}

  offer(inputs: Inputs): void {
    if (this.busy) {
      this.pressedMeanwhile |= andNot(inputs.keys, this.waiting?.keys ?? this.last.keys);
      this.waiting = { ...inputs };
      return;
    }
    this.start(inputs, 0);
  }

  private start(inputs: Inputs, pulse: number): void {
    this.busy = true;
    this.last = { ...inputs };
    const body: Record<string, number> = { switches: inputs.switches, keys: inputs.keys };
    if (pulse) body.pulse = pulse;
    this.send(body).finally(() => {
      this.busy = false;
      const next = this.waiting;
      if (!next) return;
      const pulse = andNot(this.pressedMeanwhile, next.keys);
      this.waiting = null;
      this.pressedMeanwhile = 0;
      this.start(next, pulse);
    });
  }
}

// a & ~b for bit sets past 32 bits (a board has 36 switches).
export function andNot(a: number, b: number): number {
  const hi = Math.floor(a / 2 ** 32) & ~Math.floor(b / 2 ** 32);
  const lo = (a >>> 0) & ~(b >>> 0);
  return (hi >>> 0) * 2 ** 32 + (lo >>> 0);
}

export function bit(v: number, i: number): boolean {
  return Math.floor(v / 2 ** i) % 2 === 1;
}

export function withBit(v: number, i: number, on: boolean): number {
  return bit(v, i) === on ? v : on ? v + 2 ** i : v - 2 ** i;
}
