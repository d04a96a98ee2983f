// The teacher's page: every board with its state, holder and queue; kick, extend and mark
// fixed; and any held board's panel, read-only, as its student sees it, live.
import { BoardInfo, boardPath, call } from './api';
import { BoardPanel } from './board_panel';
import { tr } from './i18n';
import { Readback } from './panel_view';

const $ = <T extends HTMLElement>(id: string) => document.getElementById(id) as T;

interface BoardState {
  board: string;
  state: string;
  holder?: string;
  inputs?: { switches?: number; keys?: number };
  readback?: Readback;
}

export class Teacher {
  private active = false;
  private list: BoardInfo[] = [];
  private watched = '';
  private panel: BoardPanel | null = null;

  constructor(private readonly send: (msg: Record<string, unknown>) => void) {}

  start(): void {
    this.active = true;
    $('teacher-page').hidden = false;
    this.render();
  }

  stop(): void {
    this.active = false;
    this.unwatch();
    $('teacher-page').hidden = true;
  }

  boards(list: BoardInfo[]): void {
    this.list = list;
    if (this.active) this.render();
  }

  fit(): void {
    this.panel?.fit();
  }

  // A new push channel watches nothing until told again.
  rewatch(): void {
    if (this.watched) this.send({ type: 'watch', board: this.watched });
  }

  readback(r: Readback & { board: string }): void {
    if (this.panel && r.board === this.watched) this.panel.view.show(r);
  }

  private async act(what: 'kick' | 'extend' | 'fixed', board: string): Promise<void> {
    try {
      await call('POST', boardPath(board, what), what === 'extend' ? { seconds: 600 } : {});
      this.list = await call<BoardInfo[]>('GET', '/api/v1/boards');
      this.render();
    } catch (e) {
      $('watch-status').textContent = tr('error', (e as Error).message);
    }
  }

  private async watch(board: string): Promise<void> {
    this.unwatch();
    this.watched = board;
    $('watch-status').textContent = tr('watching', board);
    try {
      const panel = await BoardPanel.open(board, $('watch-host'), null);
      if (this.watched !== board) return panel.close();
      this.panel = panel;
      panel.attach();
      this.send({ type: 'watch', board });
      // What the holder sees now; the pushed read-backs follow.
      const s = await call<BoardState>('GET', boardPath(board, 'state'));
      if (this.watched === board) this.panel.view.show({ ...(s.readback ?? {}), ...(s.inputs ?? {}) });
    } catch (e) {
      $('watch-status').textContent = tr('error', (e as Error).message);
    }
    this.render();
  }

  private unwatch(): void {
    if (this.watched) this.send({ type: 'watch', board: '' });
    this.watched = '';
    this.panel?.close();
    this.panel = null;
    $('watch-status').textContent = '';
  }

  private button(text: string, cls: string, f: () => void): HTMLButtonElement {
    const b = document.createElement('button');
    b.type = 'button';
    b.textContent = text;
    b.className = cls;
    b.addEventListener('click', f);
    return b;
  }

  private render(): void {
    const head = document.createElement('tr');
    for (const k of ['board', 'kind', 'state', 'holder', 'waiting', 'actions'] as const) {
      const th = document.createElement('th');
      th.textContent = tr(k);
      head.append(th);
    }
    const rows = this.list.map((b) => {
      const row = document.createElement('tr');
      row.dataset.board = b.id;
      for (const [text, cls] of [
        [b.name || b.id, ''],
        [b.kind, ''],
        [stateName(b.state), `state-${b.state}`],
        [b.holder ?? '', 'holder'],
        [String(b.queue), ''],
      ]) {
        const td = document.createElement('td');
        td.textContent = text;
        if (cls) td.className = cls;
        row.append(td);
      }
      const actions = document.createElement('td');
      if (b.state === 'held') {
        actions.append(
          this.button(tr('kick'), 'kick', () => void this.act('kick', b.id)),
          this.button(tr('extend'), 'extend', () => void this.act('extend', b.id)),
          this.watched === b.id
            ? this.button(tr('stopWatching'), 'unwatch', () => {
                this.unwatch();
                this.render();
              })
            : this.button(tr('watch'), 'watch', () => void this.watch(b.id)),
        );
      }
      if (b.state === 'broken') actions.append(this.button(tr('fixed'), 'fixed', () => void this.act('fixed', b.id)));
      row.append(actions);
      return row;
    });
    $('teacher-boards').replaceChildren(head, ...rows);
  }
}

function stateName(state: string): string {
  return ['free', 'held', 'resetting', 'broken'].includes(state) ? tr(state as 'free') : state;
}
