// The lab server's JSON routes (docs/lab_api.md), with the token the sign-in gave. The token
// lives in the tab's sessionStorage: a reloaded tab keeps its hold, a closed one forgets it.

export class ApiError extends Error {
  constructor(
    readonly status: number,
    message: string,
    readonly body: Record<string, unknown> = {},
  ) {
    super(message);
  }
}

const tokenKey = 'brixo.token';

export function token(): string {
  return sessionStorage.getItem(tokenKey) ?? '';
}

export function setToken(t: string): void {
  if (t) sessionStorage.setItem(tokenKey, t);
  else sessionStorage.removeItem(tokenKey);
}

// Answers past this are not what the routes send; a hostile or broken server cannot make the
// page hold more.
const kMaxAnswer = 64 * 1024 * 1024;

export async function call<T = Record<string, unknown>>(
  method: string,
  path: string,
  body?: unknown,
  signal?: AbortSignal,
): Promise<T> {
  const headers: Record<string, string> = {};
  if (token()) headers.Authorization = `Bearer ${token()}`;
  if (body !== undefined) headers['Content-Type'] = 'application/json';
  const r = await fetch(path, {
    method,
    headers,
    body: body === undefined ? undefined : JSON.stringify(body),
    signal,
    cache: 'no-store',
  });
  const length = Number(r.headers.get('Content-Length') ?? '0');
  if (length > kMaxAnswer) throw new ApiError(r.status, 'answer too large');
  const text = await r.text();
  let json: unknown = {};
  try {
    json = text ? JSON.parse(text) : {};
  } catch {
    json = {};
  }
  if (!r.ok) {
    const o = (json && typeof json === 'object' ? json : {}) as Record<string, unknown>;
    throw new ApiError(r.status, typeof o.error === 'string' ? o.error : `HTTP ${r.status}`, o);
  }
  return json as T;
}

export interface Place {
  user: string;
  role: string;
  state: 'none' | 'queued' | 'holding';
  kind?: string;
  position?: number;
  board?: string;
  address?: string;
  seconds_left?: number;
  simulated?: string;
}

export interface BoardInfo {
  id: string;
  name: string;
  kind: string;
  state: string;
  queue: number;
  host?: string;
  address?: string;
  holder?: string;
}

export function eventsUrl(): string {
  const scheme = location.protocol === 'https:' ? 'wss:' : 'ws:';
  return `${scheme}//${location.host}/api/v1/events?token=${encodeURIComponent(token())}`;
}

export const boardPath = (id: string, what: string) => `/api/v1/boards/${encodeURIComponent(id)}/${what}`;
