// A board's panel on the page: its .jvp from the server or, for a simulated board without one,
// the panel built from the design's ports; steps go to the board, read-backs come back.
import { ApiError, boardPath, call } from './api';
import { PanelLayout, layoutFromJvp, layoutFromPorts, portsOf } from './panel_layout';
import { PanelView, Readback } from './panel_view';
import { StepQueue } from './step_queue';

export async function loadLayout(board: string, describe?: unknown): Promise<PanelLayout> {
  try {
    return layoutFromJvp(await call('GET', boardPath(board, 'panel')));
  } catch (e) {
    if (!(e instanceof ApiError) || e.status !== 404) throw e;
  }
  return layoutFromPorts(portsOf(describe ?? (await call('GET', boardPath(board, 'describe')))));
}

export class BoardPanel {
  private constructor(
    readonly board: string,
    readonly view: PanelView,
    private readonly host: HTMLElement,
  ) {}

  // A panel that drives the board (onError hears of a step that failed), or only shows it;
  // attach() puts it on the page.
  static async open(
    board: string,
    host: HTMLElement,
    drive: { onError: (e: unknown) => void } | null,
    describe?: unknown,
  ): Promise<BoardPanel> {
    const layout = await loadLayout(board, describe);
    let view: PanelView | null = null;
    const queue = new StepQueue(async (body) => {
      try {
        view?.show(await call<Readback>('POST', boardPath(board, 'step'), body));
      } catch (e) {
        drive?.onError(e);
      }
    });
    view = new PanelView(layout, drive ? (inputs) => queue.offer(inputs) : null);
    return new BoardPanel(board, view, host);
  }

  // Shows the panel in its host, in place of what the host showed.
  attach(): void {
    this.host.replaceChildren(this.view.root);
    this.fit();
  }

  fit(): void {
    const top = this.host.getBoundingClientRect().top;
    const width = Math.max(this.host.clientWidth, 200);
    const height = Math.max(window.innerHeight - top - 12, 200);
    this.view.fit(width, height);
  }

  close(): void {
    this.view.destroy();
  }
}
