// SPDX-License-Identifier: GPL-3.0-or-later
// Checks what a self-test run left behind: node selftest_check.mjs <report dir> <mode>
// mode "real": the shipped pages must all pass; mode "nobridge": the fixture pages without a bridge;
// mode "stopped": a run stopped by SIGTERM part way; mode "hung": the fixture pages that spin,
// never finish loading or have no title, each run out of its bound (VELMAR_SELFTEST_PAGE_BOUND=<bound>).
import { readFileSync, existsSync } from 'node:fs';
import { inflateSync } from 'node:zlib';
import { join } from 'node:path';

const [dir, mode] = process.argv.slice(2);
const failures = [];
const check = (ok, what) => { if (!ok) failures.push(what); };

const pages = ['velmar-casino.html', 'roulette-3d.html', 'blackjack-3d.html', 'baccarat-3d.html', 'poker-3d.html'];
const report = JSON.parse(readFileSync(join(dir, 'report.json'), 'utf8'));
const finish = () => {
  if (failures.length) {
    console.error('self-test check failed:\n  ' + failures.join('\n  '));
    process.exit(1);
  }
  console.log(`self-test check (${mode}) passed`);
  process.exit(0);
};
if (mode === 'stopped') {
  check(/stopped/.test(report.error) && /SIGTERM/.test(report.error), `the report says SIGTERM stopped it (${report.error})`);
  check(Array.isArray(report.pages) && report.pages.length < pages.length &&
        report.pages.every((p, i) => p.page === pages[i]), 'the pages probed before the stop are listed in order');
  check(report.saveRoundTrip === false, 'saveRoundTrip is false for a stopped run');
  finish();
}
if (mode === 'hung') {
  const within = `within ${process.argv[4]} s`;
  const expected = [null, `the page did not answer the probe ${within}`, `the page did not finish loading ${within}`,
                    'the page has no title', null];
  check(JSON.stringify(report.pages.map(p => p.page)) === JSON.stringify(pages), 'every page is listed, in order');
  report.pages.forEach((record, i) => {
    check((record.error ?? null) === expected[i], `${record.page}'s error is ${expected[i]} (${record.error})`);
    // A page stuck before its picture leaves none.
    const pictured = !expected[i]?.endsWith(within);
    check(existsSync(join(dir, `${record.page}.png`)) === pictured, `${record.page}.png is ${pictured ? '' : 'not '}there`);
  });
  check(report.saveRoundTrip === true && report.selftestKeyCleared === true, 'the round trip after the stuck pages held');
  finish();
}
check(JSON.stringify(Object.keys(report)) === JSON.stringify(['pages', 'saveRoundTrip', 'selftestKeyCleared']),
      `report members are ${Object.keys(report)}`);
check(JSON.stringify(report.pages.map(p => p.page)) === JSON.stringify(pages), 'pages are listed in order');

// Reads a PNG's size and says whether its pixels are more than one flat colour.
function picture(file) {
  const png = readFileSync(file);
  if (png.readUInt32BE(0) !== 0x89504e47) return { ok: false };
  let offset = 8, width = 0, height = 0, depth = 0, type = 0;
  const data = [];
  while (offset < png.length) {
    const length = png.readUInt32BE(offset);
    const kind = png.toString('latin1', offset + 4, offset + 8);
    const body = png.subarray(offset + 8, offset + 8 + length);
    if (kind === 'IHDR') { width = body.readUInt32BE(0); height = body.readUInt32BE(4); depth = body[8]; type = body[9]; }
    if (kind === 'IDAT') data.push(body);
    offset += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(data));
  // Count distinct byte values in the scanlines: a blank picture has very few.
  const seen = new Set();
  for (let i = 0; i < raw.length && seen.size < 64; i += 7) seen.add(raw[i]);
  return { ok: true, width, height, depth, type, varied: seen.size >= 8 };
}

const sizes = new Set();
for (const page of pages) {
  const record = report.pages.find(p => p.page === page) ?? {};
  if (mode === 'nobridge') check(record.error === 'the page has no bridge', `${page} has no bridge (${record.error})`);
  else check(!('error' in record), `${page} has no error (${record.error})`);
  const file = join(dir, `${page}.png`);
  if (!existsSync(file)) { check(false, `${page}.png exists`); continue; }
  const pic = picture(file);
  check(pic.ok && pic.width >= 800 && pic.height >= 400, `${page}.png is a picture of the view (${pic.width}x${pic.height})`);
  check(pic.varied, `${page}.png is not blank`);
  sizes.add(`${pic.width}x${pic.height}`);
  if (mode === 'real') {
    check(record.bridge === true, `${page} has the bridge`);
    check(record.manrope === true && record.playfair === true, `${page} has both fonts`);
    if (page !== 'velmar-casino.html') check(record.canvases >= 1, `${page} has a canvas`);
  }
}
check(sizes.size === 1, `every picture has the view's one size (${[...sizes]})`);

// Without a bridge the round trip fails; the key is cleared either way.
check(report.saveRoundTrip === (mode === 'real'), `saveRoundTrip is ${mode === 'real'} (${mode})`);
check(report.selftestKeyCleared === true, 'selftestKeyCleared is true');
finish();
