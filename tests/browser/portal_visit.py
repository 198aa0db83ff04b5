#!/usr/bin/python3
"""A fleet's visit to the website in a real browser.

Debian's chromium, headless, is driven over the DevTools protocol (python3-websocket,
nothing from outside Debian) through a demo database and an ams-portal started on a
free loopback port: sign in, compare the balance with the database, filter the tickets
by date and card, open a ticket, download a statement PDF and the ticket list CSV and
read them, change the password, sign out, and go back. Screenshots at phone and desktop
width are written to the folder given, to be looked at.

    tests/browser/portal_visit.py --bin BUILD/src [--shots FOLDER]

Exits 0 when every check passed, 1 when one failed or the browser is missing.
"""

import argparse
import base64
import datetime
import glob
import json
import os
import re
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time

USER = "acme1001"
PASSWORD = "fleet1001"
CUSTOMER = "1001"
NEW_PASSWORD = "a new fleet password"
WIDTHS = (390, 1280)

failures = []


def check(ok, what):
    print(("PASS: " if ok else "FAIL: ") + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


def fail_setup(message):
    print("browser test: " + message, file=sys.stderr, flush=True)
    sys.exit(1)


def money(value):
    """A figure as the pages show money: $1,234.50, -$10.00."""
    return ("-" if value < 0 else "") + "${:,.2f}".format(abs(value))


class Browser:
    """One headless chromium with one page, spoken to over its DevTools socket."""

    def __init__(self, work):
        exe = shutil.which("chromium") or ("/usr/bin/chromium" if os.path.exists("/usr/bin/chromium") else None)
        if not exe:
            fail_setup("chromium is not installed: the Debian package chromium is needed (scripts/setup installs it)")
        try:
            import websocket  # python3-websocket
        except ImportError:
            fail_setup("python3-websocket is not installed (scripts/setup installs it)")
        self.profile = os.path.join(work, "chromium-profile")
        self.downloads = os.path.join(work, "downloads")
        os.makedirs(self.downloads)
        args = [exe, "--headless=new", "--remote-debugging-port=0", "--user-data-dir=" + self.profile,
                "--no-first-run", "--no-default-browser-check", "--disable-gpu", "--disable-extensions",
                "--disable-dev-shm-usage", "--disable-background-networking", "--disable-sync",
                "--disable-component-update", "--hide-scrollbars", "--mute-audio", "--window-size=1280,900"]
        # chromium's sandbox cannot start as root (CI runs as root).
        if os.geteuid() == 0:
            args.append("--no-sandbox")
        self.process = subprocess.Popen(args + ["about:blank"], stdout=subprocess.DEVNULL,
                                        stderr=open(os.path.join(work, "chromium.log"), "wb"))
        # With port 0 chromium picks a free port and writes it into the profile.
        active = os.path.join(self.profile, "DevToolsActivePort")
        deadline = time.monotonic() + 30
        while not os.path.exists(active) or len(open(active).read().split("\n")) < 2:
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.close()
                fail_setup("chromium did not start; its log: " + open(os.path.join(work, "chromium.log")).read()[-2000:])
            time.sleep(0.1)
        port, path = open(active).read().split("\n")[:2]
        self.socket = websocket.create_connection("ws://127.0.0.1:%s%s" % (port, path), timeout=30,
                                                  suppress_origin=True)
        self.next_id = 0
        self.events = []
        target = self.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        self.session = self.call("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        self.call("Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": self.downloads})
        for domain in ("Page", "Runtime"):
            self.send(domain + ".enable")

    def close(self):
        if getattr(self, "socket", None):
            try:
                self.call("Browser.close")
            except Exception:
                pass
            self.socket.close()
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()

    def call(self, method, params=None, session=None):
        """A command and its result; a command the browser refuses ends the run."""
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        self.socket.send(json.dumps(message))
        while True:
            reply = json.loads(self.socket.recv())
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError("%s: %s" % (method, reply["error"]))
                return reply.get("result", {})
            if "method" in reply:
                self.events.append(reply)

    def send(self, method, params=None):
        """A command to the page."""
        return self.call(method, params, self.session)

    def wait_for(self, method, seconds=20):
        """Waits for an event of the page that came since the events were last cleared."""
        deadline = time.monotonic() + seconds
        while True:
            for i, event in enumerate(self.events):
                if event.get("method") == method and event.get("sessionId") == self.session:
                    del self.events[: i + 1]
                    return event
            left = deadline - time.monotonic()
            if left <= 0:
                raise RuntimeError("no %s within %d s" % (method, seconds))
            self.socket.settimeout(left)
            try:
                self.events.append(json.loads(self.socket.recv()))
            finally:
                self.socket.settimeout(30)

    def js(self, expression):
        result = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True, "awaitPromise": True})
        if "exceptionDetails" in result:
            raise RuntimeError("script failed: %s: %s" % (expression, result["exceptionDetails"]))
        return result["result"].get("value")

    def go(self, url):
        self.events.clear()
        self.send("Page.navigate", {"url": url})
        self.wait_for("Page.loadEventFired")

    def url(self):
        return self.js("location.href")

    def text(self):
        return self.js("document.body ? document.body.innerText : ''")

    def click(self, selector, navigates=True):
        """A real mouse click in the middle of the element, as a person makes it."""
        self.js("document.querySelector(%s).scrollIntoView({block: 'center'})" % json.dumps(selector))
        box = self.js("(() => { const r = document.querySelector(%s).getBoundingClientRect();"
                      " return [r.x + r.width / 2, r.y + r.height / 2]; })()" % json.dumps(selector))
        self.events.clear()
        for kind in ("mousePressed", "mouseReleased"):
            self.send("Input.dispatchMouseEvent",
                      {"type": kind, "x": box[0], "y": box[1], "button": "left", "clickCount": 1})
        if navigates:
            self.wait_for("Page.loadEventFired")

    def type(self, selector, text):
        """Focuses the field and types the text into it."""
        self.js("(() => { const e = document.querySelector(%s); e.focus(); e.value = ''; })()" % json.dumps(selector))
        self.send("Input.insertText", {"text": text})

    def back(self):
        """The browser's back button; waits until the page shown has changed."""
        history = self.send("Page.getNavigationHistory")
        entry = history["entries"][history["currentIndex"] - 1]
        self.events.clear()
        self.send("Page.navigateToHistoryEntry", {"entryId": entry["id"]})
        # A page restored from the browser's memory fires no load event; one fetched again does.
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            now = self.send("Page.getNavigationHistory")
            if now["currentIndex"] != history["currentIndex"] and self.js("document.readyState") == "complete":
                return
            time.sleep(0.1)
        raise RuntimeError("the back button did not change the page")

    def screenshots(self, folder, name):
        for width in WIDTHS:
            self.send("Emulation.setDeviceMetricsOverride",
                      {"width": width, "height": 800, "deviceScaleFactor": 1, "mobile": width < 600})
            height = self.js("Math.ceil(document.documentElement.scrollHeight)")
            self.send("Emulation.setDeviceMetricsOverride",
                      {"width": width, "height": max(height, 300), "deviceScaleFactor": 1, "mobile": width < 600})
            shot = self.send("Page.captureScreenshot", {"format": "png"})
            with open(os.path.join(folder, "%s-%d.png" % (name, width)), "wb") as f:
                f.write(base64.b64decode(shot["data"]))
        self.send("Emulation.clearDeviceMetricsOverride")

    def download(self, selector, suffix, seconds=20):
        """Clicks a download link and returns the bytes of the file it saved."""
        before = set(os.listdir(self.downloads))
        self.click(selector, navigates=False)
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            new = [f for f in set(os.listdir(self.downloads)) - before if f.endswith(suffix)]
            if new:
                path = os.path.join(self.downloads, new[0])
                time.sleep(0.2)
                with open(path, "rb") as f:
                    return path, f.read()
            time.sleep(0.1)
        return None, b""


def start_portal(bin_dir, work):
    """The demo database and an ams-portal on it on a free loopback port."""
    with open(os.path.join(work, "config.txt"), "w") as f:
        f.write("AMS\nConnection,Provider=SQLite;Data Source=demo.db;\nWorkstation,WS1\nAdmin,1\nLocation,1\n")
    database = os.path.join(work, "demo.db")
    subprocess.run([os.path.join(bin_dir, "amsdb"), "create", "Provider=SQLite;Data Source=%s;" % database, "--demo"],
                   cwd=work, check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(work, "portal.conf"), "w") as f:
        f.write("Listen = 127.0.0.1\nPort = 0\nConnection = Provider=SQLite;Data Source=demo.db;\n")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    portal = subprocess.Popen([os.path.join(bin_dir, "ams-portal"), "--config", os.path.join(work, "portal.conf")],
                              stdout=subprocess.PIPE, stderr=open(os.path.join(work, "portal.log"), "wb"), env=env)
    line = portal.stdout.readline().decode()
    match = re.search(r"port (\d+)", line)
    if not match:
        portal.kill()
        fail_setup("ams-portal did not start: " + line + open(os.path.join(work, "portal.log")).read()[-2000:])
    return portal, database, "http://127.0.0.1:%s" % match.group(1)


def pdf_text(path):
    out = subprocess.run(["pdftotext", "-layout", path, "-"], capture_output=True, check=True)
    return re.sub(r"\s+", " ", out.stdout.decode())


def visit(browser, base, db, shots):
    customer = db.execute("SELECT Name, CurrentBalance FROM Customer WHERE ID = ?", (CUSTOMER,)).fetchone()
    name, balance = customer[0], money(customer[1])

    browser.go(base + "/")
    check(browser.url() == base + "/signin", "a visit begins at the sign-in page")
    browser.screenshots(shots, "signin")
    browser.type("input[name=username]", USER)
    browser.type("input[name=password]", PASSWORD)
    browser.click("form.box button[type=submit]")
    check(browser.url() == base + "/account", "sign-in leads to the account page")
    figures = browser.js("[...document.querySelectorAll('dt')].map(d => [d.textContent, d.nextElementSibling.textContent])")
    figures = dict(figures)
    check(figures.get("Name") == name, "the account is %s's (%s)" % (name, figures.get("Name")))
    check(figures.get("Balance") == balance,
          "the balance reads %s, the database holds %s" % (figures.get("Balance"), balance))
    browser.screenshots(shots, "account")

    # Tickets of the last 100 days on card 01.
    today = datetime.date.today()
    first = today - datetime.timedelta(days=100)
    browser.go(base + "/tickets")
    browser.js("document.querySelector('input[name=from]').value = %s" % json.dumps(first.isoformat()))
    browser.js("document.querySelector('input[name=to]').value = %s" % json.dumps(today.isoformat()))
    browser.js("document.querySelector('select[name=card]').value = '01'")
    browser.click("form.filter button")
    expected = db.execute("SELECT COUNT(*) FROM Tickets WHERE CustomerID = ? AND CardNo = '01' AND DateEntered >= ? "
                          "AND DateEntered <= ?", (CUSTOMER, first.isoformat() + " 00:00:00",
                                                   today.isoformat() + " 23:59:59")).fetchone()[0]
    said = re.search(r"(\d+) tickets?\.", browser.text())
    check(said is not None and int(said.group(1)) == expected and expected > 0,
          "the filtered list counts %s tickets of card 01, the database %d" % (said and said.group(1), expected))
    rows = browser.js("[...document.querySelectorAll('tbody tr')].filter(r => r.cells.length == 7)"
                      ".map(r => [r.cells[0].textContent, r.cells[1].textContent, r.cells[2].textContent])")
    in_range = all(first <= datetime.datetime.strptime(r[0].split(" ")[0], "%m/%d/%Y").date() <= today for r in rows)
    check(len(rows) == min(expected, 50) and all(r[2] == "01" for r in rows) and in_range,
          "the page shows %d rows, all of card 01 and within the dates" % len(rows))
    browser.screenshots(shots, "tickets")

    # The ticket list of the same filter as CSV: the same tickets.
    _, csv = browser.download("a[href^='/tickets.csv']", ".csv")
    lines = [l for l in csv.decode("utf-8").split("\r\n") if l]
    check(bool(lines) and lines[0] == "Date,Ticket,Card,Truck,Driver,Gallons,Total",
          "the CSV download is the ticket list")
    numbers = [l.split(",")[1] for l in lines[1:]]
    check(len(numbers) == expected and all(l.split(",")[2] == "01" for l in lines[1:])
          and set(r[1] for r in rows) <= set(numbers),
          "the CSV holds the same %d tickets of card 01" % expected)

    # One ticket, as printed.
    number = rows[0][1]
    browser.click("tbody tr td a")
    total = db.execute("SELECT Total FROM Tickets WHERE ID = ?", (int(number),)).fetchone()[0]
    page = browser.text()
    check(browser.url() == "%s/tickets/%s" % (base, number) and "TOTAL" in page and "Diesel" in page
          and money(total) in page, "ticket %s shows its printed lines and its total %s" % (number, money(total)))
    browser.screenshots(shots, "ticket")

    # Last month's statement as a PDF, with every ticket of the month in it.
    last = today.replace(day=1) - datetime.timedelta(days=1)
    browser.go(base + "/statements")
    browser.screenshots(shots, "statements")
    path, pdf = browser.download("a[href='/statements/%s.pdf']" % last.strftime("%Y-%m"), ".pdf")
    check(pdf.startswith(b"%PDF-"), "the statement download is a PDF")
    if path:
        text = pdf_text(path)
        month_tickets = [r[0] for r in db.execute(
            "SELECT ID FROM Tickets WHERE CustomerID = ? AND DateEntered >= ? AND DateEntered <= ?",
            (CUSTOMER, last.replace(day=1).isoformat() + " 00:00:00", last.isoformat() + " 23:59:59"))]
        heading = "Statement Date %d/%d/%d" % (last.month, last.day, last.year)
        check("Account No. " + CUSTOMER in text and name in text and heading in text,
              "the statement is %s's, dated %s" % (name, last))
        missing = [n for n in month_tickets if "Ticket %d" % n not in text]
        check(bool(month_tickets) and not missing,
              "the statement lists the month's %d tickets (missing: %s)" % (len(month_tickets), missing))

    # A new password.
    browser.go(base + "/password")
    browser.type("input[name=old]", PASSWORD)
    browser.type("input[name=new]", NEW_PASSWORD)
    browser.type("input[name=again]", NEW_PASSWORD)
    browser.click("form.box button")
    check("Your password was changed." in browser.text(), "the password is changed")
    browser.screenshots(shots, "password")

    # Sign out, then the back button: nothing of the account is shown again.
    browser.go(base + "/account")
    browser.click("nav button")
    check(browser.url() == base + "/signin", "sign-out leads to the sign-in page")
    browser.back()
    shown = browser.js("document.documentElement.outerHTML")
    check(browser.url() == base + "/signin" and balance not in shown and name not in shown,
          "the back button after sign-out shows nothing of the account (%s)" % browser.url())
    browser.go(base + "/account")
    check(browser.url() == base + "/signin", "the account page asks for sign-in again")

    browser.type("input[name=username]", USER)
    browser.type("input[name=password]", NEW_PASSWORD)
    browser.click("form.box button[type=submit]")
    check(browser.url() == base + "/account", "the new password signs in")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--bin", required=True, help="the folder of ams-portal and amsdb")
    parser.add_argument("--shots", default="browser-shots", help="the folder for the screenshots (./browser-shots)")
    args = parser.parse_args()
    args.bin = os.path.abspath(args.bin)

    started = time.monotonic()
    work = tempfile.mkdtemp(prefix="ams-browser-")
    shots = os.path.abspath(args.shots)
    os.makedirs(shots, exist_ok=True)
    for old in glob.glob(os.path.join(shots, "*.png")):
        os.remove(old)
    portal = browser = None
    try:
        portal, database, base = start_portal(args.bin, work)
        browser = Browser(work)
        db = sqlite3.connect(database)
        try:
            visit(browser, base, db, shots)
        except Exception as e:  # a step that could not be taken is a failure, with its reason
            check(False, "the visit went on to its end (%s: %s)" % (type(e).__name__, e))
        db.close()
    finally:
        if browser:
            browser.close()
        if portal:
            portal.send_signal(signal.SIGTERM)
            try:
                portal.wait(10)
            except subprocess.TimeoutExpired:
                portal.kill()
        if failures and os.path.exists(os.path.join(work, "portal.log")):
            print("--- the portal's log ---\n" + open(os.path.join(work, "portal.log"), errors="replace").read()[-3000:])
        shutil.rmtree(work, ignore_errors=True)
    print("%d failed; %.1f s; screenshots in %s" % (len(failures), time.monotonic() - started, shots))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
