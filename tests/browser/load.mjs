// A bounded load on the website over loopback: SESSIONS fleets sign in, then each makes
// REQUESTS page requests, CONCURRENCY at a time. Prints the error count and the latency
// percentiles of the page requests; exits 1 on any error or a p99 above LIMIT_MS.
//
//   node load.mjs BASE_URL USERNAME PASSWORD [SESSIONS REQUESTS CONCURRENCY LIMIT_MS]
const [base, user, password, sessionsArg, requestsArg, concurrencyArg, limitArg] = process.argv.slice(2);
const sessions = Number(sessionsArg ?? 200);
const requests = Number(requestsArg ?? 20);
const concurrency = Number(concurrencyArg ?? 16);
const limit = Number(limitArg ?? 100);

async function pool(jobs, width) {
  const results = [];
  let next = 0;
  await Promise.all(Array.from({ length: width }, async () => {
    while (next < jobs.length) {
      const i = next++;
      results[i] = await jobs[i]();
    }
  }));
  return results;
}

let errors = 0;
const body = new URLSearchParams({ username: user, password }).toString();
const cookies = await pool(Array.from({ length: sessions }, () => async () => {
  const r = await fetch(`${base}/signin`, {
    method: 'POST', redirect: 'manual', body,
    headers: { 'Content-Type': 'application/x-www-form-urlencoded' },
  });
  const cookie = (r.headers.get('set-cookie') || '').split(';')[0];
  if (r.status !== 303 || !cookie) ++errors;
  return cookie;
}), 4);

const pages = ['/account', '/tickets', '/payments', '/tickets?card=01'];
const jobs = [];
for (const cookie of cookies)
  for (let i = 0; i < requests; ++i)
    jobs.push(async () => {
      const started = performance.now();
      const r = await fetch(base + pages[i % pages.length], { headers: { Cookie: cookie }, redirect: 'manual' });
      await r.text();
      if (r.status !== 200) ++errors;
      return performance.now() - started;
    });
const started = performance.now();
const times = (await pool(jobs, concurrency)).sort((a, b) => a - b);
const seconds = (performance.now() - started) / 1000;
const at = (q) => times[Math.min(times.length - 1, Math.floor(q * times.length))].toFixed(1);
console.log(`${sessions} sessions, ${times.length} page requests in ${seconds.toFixed(1)} s ` +
            `(${(times.length / seconds).toFixed(0)}/s), ${errors} errors; ` +
            `p50 ${at(0.5)} ms, p90 ${at(0.9)} ms, p99 ${at(0.99)} ms, max ${at(1)} ms`);
process.exit(errors === 0 && Number(at(0.99)) < limit ? 0 : 1);
