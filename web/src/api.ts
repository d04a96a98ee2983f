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

async function send(method: string, path: string, body?: unknown, signal?: AbortSignal): Promise<Response> {
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
  return r;
}

function parsed(text: string): Record<string, unknown> {
  try {
    const json: unknown = text ? JSON.parse(text) : {};
    return (json && typeof json === 'object' ? json : {}) as Record<string, unknown>;
  } catch {
    return {};
  }
}

function refusal(r: Response, o: Record<string, unknown>): ApiError {
  return new ApiError(r.status, typeof o.error === 'string' ? o.error : `HTTP ${r.status}`, o);
}

export async function call<T = Record<string, unknown>>(
  method: string,
  path: string,
  body?: unknown,
  signal?: AbortSignal,
): Promise<T> {
  const r = await send(method, path, body, signal);
  const o = parsed(await r.text());
  if (!r.ok) throw refusal(r, o);
  return o as T;
}

// A route that answers a file rather than JSON (its refusals are JSON all the same).
export async function callFile(method: string, path: string): Promise<Blob> {
  const r = await send(method, path);
  if (!r.ok) throw refusal(r, parsed(await r.text()));
  return r.blob();
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
