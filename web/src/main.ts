// The page: sign-in, the lab's boards and the queue, the held board's panel, and for teachers
// the page that watches every board. Everything live comes over one WebSocket.
import { ApiError, BoardInfo, Place, call, eventsUrl, setToken, token } from './api';
import { BoardPanel } from './board_panel';
import { Configure, Simulate } from './board_work';
import { chooseLanguage, isEnglish, onLanguage, setEnglish, tr, translatePage } from './i18n';
import { Readback } from './panel_view';
import { Teacher } from './teacher';

const $ = <T extends HTMLElement>(id: string) => document.getElementById(id) as T;

class Lab {
  private me: Place | null = null;
  private boards: BoardInfo[] = [];
  private ws: WebSocket | null = null;
  private wsRetry = 0;
  private panel: BoardPanel | null = null;
  private opening = '';
  private lastReadback: { board: string; readback: Readback } | null = null;
  private secondsLeft = -1;
  private timers: number[] = [];
  private configure = new Configure();
  private simulate = new Simulate(
    (a) => void this.showBoard(a.board, a.describe),
    () => this.closePanel(),
  );
  private teacher = new Teacher((msg) => this.send(msg));

  constructor() {
    $('signin-form').addEventListener('submit', (e) => {
      e.preventDefault();
      void this.signIn();
    });
    $('signout').addEventListener('click', () => void this.signOut());
    $('queue').addEventListener('click', () => void this.joinQueue());
    $('release').addEventListener('click', () => void this.release());
    window.addEventListener('resize', () => {
      this.panel?.fit();
      this.teacher.fit();
    });
    onLanguage(() => this.render());
  }

  async resume(): Promise<void> {
    if (!token()) return this.showSignIn();
    try {
      await this.enter(await call<Place>('GET', '/api/v1/me'));
    } catch (e) {
      if (e instanceof ApiError && e.status === 401) setToken('');
      this.showSignIn();
    }
  }

  private showSignIn(): void {
    $('signin').hidden = false;
    $('lab').hidden = true;
    $('teacher-page').hidden = true;
    $('signout').hidden = true;
    $('whoami').textContent = '';
    $('user').focus();
  }

  private async signIn(): Promise<void> {
    const user = $<HTMLInputElement>('user').value.trim();
    const password = $<HTMLInputElement>('password').value;
    $('signin-error').textContent = '';
    try {
      const answer = await call<{ token: string }>('POST', '/api/v1/login', { user, password });
      setToken(answer.token);
      $<HTMLInputElement>('password').value = '';
      await this.enter(await call<Place>('GET', '/api/v1/me'));
    } catch (e) {
      setToken('');
      $('signin-error').textContent = tr('signInFailed', (e as Error).message);
    }
  }

  private async signOut(): Promise<void> {
    await call('POST', '/api/v1/logout').catch(() => undefined);
    this.leave();
  }

  // Back to the sign-in form: the token is gone or no longer valid.
  private leave(): void {
    setToken('');
    this.me = null;
    this.timers.forEach((t) => clearInterval(t));
    this.timers = [];
    const ws = this.ws;
    this.ws = null;
    ws?.close();
    this.closePanel();
    this.teacher.stop();
    this.showSignIn();
  }

  private async enter(me: Place): Promise<void> {
    $('signin').hidden = true;
    $('lab').hidden = false;
    $('signout').hidden = false;
    this.connect();
    // Clients send a heartbeat every 10 s; a closed tab sends none and its hold idles out.
    this.timers.push(
      window.setInterval(() => {
        if (this.ws?.readyState === WebSocket.OPEN) this.send({ type: 'heartbeat' });
        else void call('POST', '/api/v1/heartbeat').catch((e) => this.failed(e));
      }, 10000),
      window.setInterval(() => this.tick(), 1000),
      window.setInterval(() => void this.loadBoards(), 5000),
    );
    await this.loadBoards();
    this.place(me);
    if (me.role === 'teacher' || me.role === 'admin') this.teacher.start();
  }

  private connect(): void {
    const ws = new WebSocket(eventsUrl());
    this.ws = ws;
    ws.onopen = () => {
      this.wsRetry = 0;
      if (this.me) this.teacher.rewatch();
    };
    ws.onmessage = (e) => {
      if (typeof e.data !== 'string' || e.data.length > 1 << 20) return;
      try {
        this.event(JSON.parse(e.data));
      } catch {
        /* not JSON: ignored */
      }
    };
    ws.onclose = () => {
      if (this.ws !== ws) return;
      this.ws = null;
      if (token()) this.reconnect();
    };
  }

  // The server restarts or the network drops: try again, less often each time.
  private reconnect(): void {
    $('message').textContent = tr('connectionLost');
    const wait = Math.min(1000 * 2 ** this.wsRetry++, 15000);
    setTimeout(() => {
      if (!token() || this.ws) return;
      call<Place>('GET', '/api/v1/me')
        .then((me) => {
          $('message').textContent = '';
          this.connect();
          this.place(me);
        })
        .catch((err) => {
          if (err instanceof ApiError && err.status === 401) this.leave();
          else this.reconnect();
        });
    }, wait);
  }

  private send(msg: Record<string, unknown>): void {
    if (this.ws?.readyState === WebSocket.OPEN) this.ws.send(JSON.stringify(msg));
  }

  private event(m: Record<string, unknown>): void {
    switch (m.type) {
      case 'place':
        this.place(m as unknown as Place);
        break;
      case 'hold_end':
        $('message').textContent = tr('holdEnd', tr(`why_${m.why}` as never) || String(m.why));
        if (this.panel && this.panel.board === m.board) this.closePanel();
        break;
      case 'readback':
        // Kept for a panel still loading: a reloaded tab hears the board's state only once.
        this.lastReadback = { board: String(m.board), readback: m as Readback };
        if (this.panel && this.panel.board === m.board) this.panel.view.show(m as Readback);
        this.teacher.readback(m as unknown as Readback & { board: string });
        break;
      case 'configure':
        if (m.board === this.configure.board) this.configure.show(m as never);
        break;
    }
  }

  private failed(e: unknown): void {
    if (e instanceof ApiError && e.status === 401) return this.leave();
    $('message').textContent = tr('error', (e as Error).message);
    // A step refused for a board no longer held: the place says what is true now.
    if (e instanceof ApiError && (e.status === 403 || e.status === 409))
      void call<Place>('GET', '/api/v1/me').then((me) => this.place(me), () => undefined);
  }

  private place(me: Place): void {
    const was = this.me;
    this.me = me;
    this.secondsLeft = typeof me.seconds_left === 'number' ? me.seconds_left : -1;
    const board = me.state === 'holding' && me.board ? me.board : me.simulated ?? '';
    if (me.state === 'holding' && was?.state !== 'holding') $('message').textContent = '';
    this.simulate.running(me.simulated ? { board: me.simulated, describe: {} } : null);
    this.configure.board = me.state === 'holding' && me.board ? me.board : '';
    if (!this.configure.board) this.configure.reset();
    if (board !== (this.panel?.board ?? this.opening)) {
      this.closePanel();
      if (board) void this.showBoard(board);
    }
    this.render();
  }

  private async showBoard(board: string, describe?: unknown): Promise<void> {
    if (this.opening === board || this.panel?.board === board) return;
    this.opening = board;
    try {
      const panel = await BoardPanel.open(board, $('panel-host'), { onError: (e) => this.failed(e) }, describe);
      if (this.opening !== board) return panel.close();
      this.panel?.close();
      this.panel = panel;
      panel.attach();
      if (this.lastReadback?.board === board) panel.view.show(this.lastReadback.readback);
    } catch (e) {
      this.failed(e);
    } finally {
      if (this.opening === board) this.opening = '';
    }
  }

  private closePanel(): void {
    this.opening = '';
    this.panel?.close();
    this.panel = null;
  }

  private async loadBoards(): Promise<void> {
    try {
      this.boards = await call<BoardInfo[]>('GET', '/api/v1/boards');
      if (!Array.isArray(this.boards)) this.boards = [];
      this.render();
      this.teacher.boards(this.boards);
    } catch (e) {
      this.failed(e);
    }
  }

  private async joinQueue(): Promise<void> {
    const kind = $<HTMLSelectElement>('kind').value;
    try {
      await call('POST', '/api/v1/queue', { kind });
      this.place(await call<Place>('GET', '/api/v1/me'));
    } catch (e) {
      this.failed(e);
    }
  }

  private async release(): Promise<void> {
    this.panel?.view.releaseAll(false);
    try {
      await call('DELETE', '/api/v1/me');
      this.place(await call<Place>('GET', '/api/v1/me'));
    } catch (e) {
      this.failed(e);
    }
  }

  private tick(): void {
    if (this.secondsLeft > 0) this.secondsLeft--;
    this.renderCountdown();
  }

  private renderCountdown(): void {
    const holding = this.me?.state === 'holding';
    $('countdown').textContent = holding && this.secondsLeft >= 0 ? tr('secondsLeft', this.secondsLeft) : '';
  }

  private render(): void {
    translatePage();
    $('language').textContent = tr('language');
    const me = this.me;
    if (!me) return;
    $('whoami').textContent = tr('signedInAs', me.user, me.role);
    // The kinds of board the lab has, each once.
    const select = $<HTMLSelectElement>('kind');
    const kinds = [...new Set(this.boards.map((b) => b.kind))];
    if (select.options.length !== kinds.length || kinds.some((k, i) => select.options[i].value !== k)) {
      const chosen = select.value;
      select.replaceChildren(...kinds.map((k) => new Option(k, k)));
      if (kinds.includes(chosen)) select.value = chosen;
    }
    const idle = me.state === 'none';
    $('queue').hidden = !idle;
    $<HTMLButtonElement>('queue').disabled = kinds.length === 0;
    select.hidden = !idle;
    const release = $<HTMLButtonElement>('release');
    release.hidden = idle;
    release.textContent = tr(me.state === 'queued' ? 'leaveQueue' : 'release');
    $('status').textContent =
      me.state === 'queued'
        ? tr('queued', me.kind ?? '', me.position ?? 0)
        : me.state === 'holding'
          ? tr('holding', me.board ?? '')
          : me.simulated
            ? ''
            : tr('noBoard');
    $('configure').hidden = me.state !== 'holding';
    this.renderCountdown();
    const table = $('boards');
    const head = document.createElement('tr');
    for (const k of ['board', 'kind', 'state', 'waiting'] as const) {
      const th = document.createElement('th');
      th.textContent = tr(k);
      head.append(th);
    }
    const rows = this.boards.map((b) => {
      const tr_ = document.createElement('tr');
      tr_.dataset.board = b.id;
      for (const [text, cls] of [
        [b.name || b.id, ''],
        [b.kind, ''],
        [stateText(b.state), `state-${b.state}`],
        [String(b.queue), ''],
      ]) {
        const td = document.createElement('td');
        td.textContent = text;
        if (cls) td.className = cls;
        tr_.append(td);
      }
      return tr_;
    });
    table.replaceChildren(head, ...rows);
  }
}

export function stateText(state: string): string {
  return ['free', 'held', 'resetting', 'broken'].includes(state) ? tr(state as 'free') : state;
}

chooseLanguage();
document.addEventListener('DOMContentLoaded', () => {
  translatePage();
  $('language').textContent = tr('language');
  $('language').addEventListener('click', () => setEnglish(!isEnglish()));
  onLanguage(() => {
    translatePage();
    $('language').textContent = tr('language');
  });
  void new Lab().resume();
});
