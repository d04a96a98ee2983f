// Builds the web client into one directory the lab server serves: the page, its bundled and
// minified script, its style and the program's own pictures. It runs beside the node_modules
// that `npm ci` made in the build tree. Usage: node build.mjs WEB_SOURCE_DIR OUT_DIR
import { build } from 'esbuild';
import { copyFileSync, mkdirSync, readdirSync, rmSync } from 'node:fs';
import { join, resolve } from 'node:path';

const [here, out] = process.argv.slice(2).map((p) => resolve(p));
if (!here || !out) {
  console.error('usage: node build.mjs WEB_SOURCE_DIR OUT_DIR');
  process.exit(2);
}
rmSync(out, { recursive: true, force: true });
mkdirSync(join(out, 'images'), { recursive: true });
await build({
  entryPoints: [join(here, 'src/main.ts')],
  bundle: true,
  minify: true,
  format: 'iife',
  target: ['es2020'],
  outfile: join(out, 'app.js'),
  legalComments: 'none',
  logLevel: 'warning',
});
for (const f of ['index.html', 'style.css']) copyFileSync(join(here, f), join(out, f));
const images = join(here, '../resources/images');
for (const f of readdirSync(images).filter((f) => f.endsWith('.svg'))) copyFileSync(join(images, f), join(out, 'images', f));
