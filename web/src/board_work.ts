// Work on a held board: an FPGA configuration uploaded and downloaded with a progress bar and
// a cancel, and a Verilog design uploaded to run as the student's own simulated board.
import { ApiError, boardPath, call, callFile, token } from './api';
import { tr } from './i18n';

const $ = <T extends HTMLElement>(id: string) => document.getElementById(id) as T;

// What the server takes for a design; checked here too so a student hears it before sending.
const kMaxFiles = 32,
  kMaxFileBytes = 256 * 1024,
  kMaxDesignBytes = 1024 * 1024,
  kMaxConfigureBytes = 16 * 1024 * 1024;

export interface ConfigureState {
  state: string;
  done?: number;
  total?: number;
  error?: string;
}

export class Configure {
  private upload: XMLHttpRequest | null = null;
  private running = false;
  board = '';

  constructor() {
    $('configure-start').addEventListener('click', () => this.start());
    $('configure-cancel').addEventListener('click', () => this.cancel());
  }

  private status(text: string): void {
    $('configure-status').textContent = text;
  }

  private progress(done: number, total: number): void {
    const bar = $<HTMLProgressElement>('configure-progress');
    bar.hidden = false;
    bar.max = Math.max(total, 1);
    bar.value = Math.min(done, bar.max);
  }

  private busy(on: boolean): void {
    this.running = on;
    $<HTMLButtonElement>('configure-start').disabled = on;
    $('configure-cancel').hidden = !on;
  }

  private start(): void {
    const file = $<HTMLInputElement>('configure-file').files?.[0];
    if (!file || !this.board || this.running) return;
    if (file.size > kMaxConfigureBytes) {
      this.status(tr('error', `${file.name}: > 16 MiB`));
      return;
    }
    // XMLHttpRequest, for the upload's own progress.
    const xhr = new XMLHttpRequest();
    this.upload = xhr;
    xhr.open('POST', boardPath(this.board, 'configure'));
    xhr.setRequestHeader('Authorization', `Bearer ${token()}`);
    xhr.setRequestHeader('Content-Type', 'application/octet-stream');
    xhr.upload.onprogress = (e) => {
      if (e.lengthComputable) {
        this.progress(e.loaded, e.total);
        this.status(tr('uploading', Math.round((100 * e.loaded) / Math.max(e.total, 1))));
      }
    };
    xhr.onload = () => {
      this.upload = null;
      if (xhr.status === 202) {
        this.status(tr('downloading', 0, file.size));
        void this.poll();
        return;
      }
      let why = `HTTP ${xhr.status}`;
      try {
        why = JSON.parse(xhr.responseText).error ?? why;
      } catch {
        /* not JSON: the status says it */
      }
      this.busy(false);
      this.status(`${tr('configureFailed')} ${why}`);
    };
    xhr.onerror = () => {
      this.upload = null;
      this.busy(false);
      this.status(tr('configureFailed'));
    };
    xhr.onabort = () => {
      this.upload = null;
      this.busy(false);
      this.status(tr('configureCancelled'));
    };
    this.busy(true);
    this.progress(0, file.size);
    xhr.send(file);
  }

  // The pushed progress is the live one; a poll catches a download that ended before the
  // push channel said so (or while it reconnected).
  private async poll(): Promise<void> {
    while (this.running && this.board) {
      await new Promise((r) => setTimeout(r, 1000));
      if (!this.running) return;
      try {
        this.show(await call<ConfigureState>('GET', boardPath(this.board, 'configure')));
      } catch (e) {
        if (e instanceof ApiError && (e.status === 403 || e.status === 404)) this.busy(false);
      }
    }
  }

  // The download's state, as pushed or polled.
  show(s: ConfigureState): void {
    if (!this.running && s.state === 'running') this.busy(true);
    if (!this.running) return;
    const total = s.total ?? 0,
      done = s.done ?? 0;
    this.progress(done, total);
    switch (s.state) {
      case 'running':
        this.status(tr('downloading', done, total));
        break;
      case 'done':
        this.busy(false);
        this.status(tr('configureDone'));
        break;
      case 'failed':
        this.busy(false);
        this.status(`${tr('configureFailed')} ${s.error ?? ''}`);
        break;
      case 'cancelled':
        this.busy(false);
        this.status(tr('configureCancelled'));
        break;
    }
  }

  private cancel(): void {
    if (this.upload) {
      this.upload.abort();
      return;
    }
    if (this.board) void call('DELETE', boardPath(this.board, 'configure')).catch(() => undefined);
  }

  reset(): void {
    this.upload?.abort();
    this.busy(false);
    $('configure-progress').hidden = true;
    this.status('');
  }
}

export interface SimulatedAnswer {
  board: string;
  describe: Record<string, unknown>;
}

export class Simulate {
  // Hears of the simulated board once it runs.
  constructor(private readonly started: (answer: SimulatedAnswer) => void, private readonly stopped: () => void) {
    $('simulate-start').addEventListener('click', () => void this.start());
    $('simulate-stop').addEventListener('click', () => void this.stop());
    $('simulate-dump').addEventListener('click', () => void this.stopWithDump());
  }

  private status(text: string): void {
    $('simulate-status').textContent = text;
  }

  private messages(lines: string[]): void {
    $('design-messages').replaceChildren(
      ...lines.map((l) => {
        const li = document.createElement('li');
        li.textContent = l;
        return li;
      }),
    );
  }

  private async start(): Promise<void> {
    const files = [...($<HTMLInputElement>('design-files').files ?? [])];
    if (files.length === 0) return;
    this.messages([]);
    if (files.length > kMaxFiles) return this.status(tr('tooManyFiles', kMaxFiles));
    let total = 0;
    for (const f of files) {
      total += f.size;
      if (f.size > kMaxFileBytes || total > kMaxDesignBytes) return this.status(tr('tooLarge', f.name));
    }
    const body: Record<string, unknown> = {
      files: await Promise.all(files.map(async (f) => ({ name: f.name, text: await f.text() }))),
    };
    const top = $<HTMLInputElement>('design-top').value.trim();
    if (top) body.top = top;
    const dump = $<HTMLInputElement>('design-dump').checked;
    if (dump) body.dump = true;
    $<HTMLButtonElement>('simulate-start').disabled = true;
    this.status(tr('compiling', top || files[0].name));
    try {
      const answer = await call<SimulatedAnswer>('POST', '/api/v1/simulated', body);
      this.running(answer);
      $('simulate-dump').hidden = !dump;
      this.started(answer);
    } catch (e) {
      this.status(e instanceof ApiError && e.status === 422 ? tr('designFailed') : tr('error', String((e as Error).message)));
      if (e instanceof ApiError && Array.isArray(e.body.messages))
        this.messages(
          (e.body.messages as { file?: string; line?: number; text?: string }[]).slice(0, 200).map((m) => {
            const where = m.file ? `${m.file}${m.line ? `:${m.line}` : ''}: ` : '';
            return where + (m.text ?? '');
          }),
        );
    } finally {
      $<HTMLButtonElement>('simulate-start').disabled = false;
    }
  }

  running(answer: SimulatedAnswer | null): void {
    $('simulate-stop').hidden = !answer;
    if (!answer) $('simulate-dump').hidden = true;
    const top = answer && typeof answer.describe?.top === 'string' ? answer.describe.top : answer?.board ?? '';
    this.status(answer ? tr('simulating', top) : '');
  }

  private async stop(): Promise<void> {
    await call('DELETE', '/api/v1/simulated').catch(() => undefined);
    this.running(null);
    this.stopped();
  }

  // The simulation ends and its dump is saved as a file, for GTKWave or brixo-cli wave.
  private async stopWithDump(): Promise<void> {
    try {
      const vcd = await callFile('POST', '/api/v1/simulated/dump');
      const link = document.createElement('a');
      link.href = URL.createObjectURL(vcd);
      link.download = 'signals.vcd';
      link.click();
      setTimeout(() => URL.revokeObjectURL(link.href), 60000);
      this.running(null);
      this.stopped();
    } catch (e) {
      this.status(tr('error', String((e as Error).message)));
      // Refused (409) leaves the board running; any other failure has ended it.
      if (!(e instanceof ApiError && e.status === 409)) {
        this.running(null);
        this.stopped();
      }
    }
  }
}
