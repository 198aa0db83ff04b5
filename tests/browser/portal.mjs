// A fleet's visit in a real browser (Debian's chromium, headless, driven over the DevTools
// protocol): sign in, read the balance, filter tickets, open one, download the list,
// change the password, sign out, and go back. Screenshots at phone and desktop width go
// to the folder given, to be looked at.
//
//   node portal.mjs BASE_URL USERNAME PASSWORD EXPECTED_BALANCE SCREENSHOT_DIR
import puppeteer from 'puppeteer-core';
import fs from 'node:fs';
import path from 'node:path';

const [base, user, password, expectedBalance, shots] = process.argv.slice(2);
const failures = [];
function check(ok, what) {
  console.log(`${ok ? 'PASS' : 'FAIL'}: ${what}`);
  if (!ok) failures.push(what);
}

const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu'],
});
try {
  const page = await browser.newPage();
  const downloads = fs.mkdtempSync(path.join(shots, 'downloads-'));
  const cdp = await page.createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });

  async function shoot(name) {
    for (const width of [390, 1280]) {
      await page.setViewport({ width, height: 900 });
      await page.screenshot({ path: path.join(shots, `${name}-${width}.png`), fullPage: true });
    }
  }
  const text = () => page.$eval('main', (m) => m.innerText);

  await page.goto(`${base}/signin`);
  await shoot('signin');
  await page.type('input[name=username]', user);
  await page.type('input[name=password]', password);
  await Promise.all([page.waitForNavigation(), page.click('button[type=submit]')]);
  check(page.url() === `${base}/account`, 'sign-in leads to the account page');
  const figures = await page.$$eval('dd', (dds) => dds.map((d) => d.textContent));
  check(figures[2] === expectedBalance, `the balance reads ${figures[2]}, the database holds ${expectedBalance}`);
  await shoot('account');

  // Tickets of a whole year on card 01 only.
  const year = new Date().getFullYear();
  await page.goto(`${base}/tickets`);
  await page.$eval('input[name=from]', (e, v) => (e.value = v), `${year}-01-01`);
  await page.$eval('input[name=to]', (e, v) => (e.value = v), `${year}-12-31`);
  await page.select('select[name=card]', '01');
  await Promise.all([page.waitForNavigation(), page.click('form.filter button')]);
  const cards = await page.$$eval('tbody tr td:nth-child(3)', (tds) => tds.map((t) => t.textContent));
  check(cards.length > 0 && cards.every((c) => c === '01'), `the filtered list shows card 01 only (${cards.length} rows)`);
  await shoot('tickets');

  await Promise.all([page.waitForNavigation(), page.click('tbody tr td a')]);
  const ticket = await text();
  check(/TOTAL/.test(ticket) && /Diesel/.test(ticket) && /Card\s*01/.test(ticket), 'a ticket shows its printed lines');
  await shoot('ticket');

  await page.goBack();
  await page.click('a[href^="/tickets.csv"]');
  let csv = '';
  for (let i = 0; i < 50 && !csv; ++i) {
    await new Promise((r) => setTimeout(r, 200));
    const done = fs.readdirSync(downloads).filter((f) => f.endsWith('.csv'));
    if (done.length) csv = fs.readFileSync(path.join(downloads, done[0]), 'utf8');
  }
  const lines = csv.split('\r\n').filter((l) => l);
  check(lines[0] === 'Date,Ticket,Card,Truck,Driver,Gallons,Total', 'the download is the ticket list CSV');
  check(lines.length - 1 === cards.length && lines.slice(1).every((l) => l.split(',')[2] === '01'),
        `the CSV holds the same ${cards.length} tickets of card 01`);

  await page.goto(`${base}/password`);
  await page.type('input[name=old]', password);
  await page.type('input[name=new]', 'a new fleet password');
  await page.type('input[name=again]', 'a new fleet password');
  await Promise.all([page.waitForNavigation(), page.click('form.box button')]);
  check(/Your password was changed\./.test(await text()), 'the password is changed');
  await shoot('password');

  await page.goto(`${base}/account`);
  await Promise.all([page.waitForNavigation(), page.click('nav button')]);
  check(page.url() === `${base}/signin`, 'sign-out leads to the sign-in page');
  await page.goBack();
  const after = await page.content();
  check(!after.includes(expectedBalance) && page.url() === `${base}/signin`,
        'the back button after sign-out shows nothing of the account');

  await page.type('input[name=username]', user);
  await page.type('input[name=password]', 'a new fleet password');
  await Promise.all([page.waitForNavigation(), page.click('button[type=submit]')]);
  check(page.url() === `${base}/account`, 'the new password signs in');
} finally {
  await browser.close();
}
if (failures.length) {
  console.log(`${failures.length} failed`);
  process.exit(1);
}
console.log('all passed');
