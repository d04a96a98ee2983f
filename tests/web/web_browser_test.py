#!/usr/bin/python3
"""The web client in headless Chromium against a real brixo-labd in lab mode, with an emulated
adapter over the adder circuit standing in for the lab PC's board: a student simulates a design
(a broken one first), signs in, queues behind another student, is given the board, clicks
switches and sees the LEDs and digits, holds a key by pointer and by keyboard, uploads a
configuration, reloads the tab and keeps the hold, releases; the student behind closes the tab
and idles out; a teacher watches the board live. The browser's panel is compared with the
desktop program's panel of the same file where the components are.

Exit 77 (skipped) only where Chromium cannot start and this is not CI."""
import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request

SKIP = 77
IDLE_SECONDS = 25

parser = argparse.ArgumentParser()
for name in ('labd', 'web', 'desktop', 'source', 'build'):
    parser.add_argument('--' + name, required=True)
args = parser.parse_args()

try:
    from selenium import webdriver
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.support.ui import WebDriverWait
    from PIL import Image
except ImportError as e:
    print(f'web_browser_test: {e}; scripts/install_deps.sh installs python3-selenium and python3-pil')
    sys.exit(1)

passes, failures = [], []


def check(ok, what):
    print(('ok    ' if ok else 'FAIL  ') + what, flush=True)
    (passes if ok else failures).append(what)
    return ok


def browser():
    options = webdriver.ChromeOptions()
    for a in ('--headless=new', '--no-sandbox', '--disable-dev-shm-usage', '--disable-gpu',
              '--window-size=1400,1100', '--lang=zh-CN', '--force-device-scale-factor=1'):
        options.add_argument(a)
    options.binary_location = shutil.which('chromium') or '/usr/bin/chromium'
    return webdriver.Chrome(service=Service(shutil.which('chromedriver') or '/usr/bin/chromedriver'), options=options)


def start_browser_or_skip():
    try:
        return browser()
    except Exception as e:  # noqa: BLE001 - any failure to start the browser is the same here
        if os.environ.get('CI'):
            print(f'web_browser_test: chromium does not start in CI: {e}')
            sys.exit(1)
        print(f'web_browser_test: SKIPPED: chromium cannot start here ({str(e).splitlines()[0]})')
        sys.exit(SKIP)


def wait(driver, cond, what, limit=30):
    try:
        WebDriverWait(driver, limit, poll_frequency=0.05).until(lambda d: cond(d))
        return check(True, what)
    except Exception:  # noqa: BLE001 - a time-out is a failed check
        return check(False, what)


def part(driver, kind, index, host='panel-host'):
    return driver.find_element(By.CSS_SELECTOR, f'#{host} [data-kind="{kind}"][data-index="{index}"]')


def attr(driver, kind, index, name, host='panel-host'):
    try:
        return part(driver, kind, index, host).get_attribute(name)
    except Exception:  # noqa: BLE001 - not there (yet)
        return None


def sign_in(driver, base, user, password):
    driver.get(base + '/')
    driver.find_element(By.ID, 'user').send_keys(user)
    driver.find_element(By.ID, 'password').send_keys(password)
    driver.find_element(By.ID, 'signin-button').click()
    wait(driver, lambda d: d.find_element(By.ID, 'lab').is_displayed(), f'{user} signs in')


def api(base, method, path, token, body=None):
    req = urllib.request.Request(base + path, method=method, data=None if body is None else json.dumps(body).encode())
    req.add_header('Authorization', 'Bearer ' + token)
    if body is not None:
        req.add_header('Content-Type', 'application/json')
    with urllib.request.urlopen(req, timeout=10) as r:
        return json.loads(r.read() or b'{}')


def test_panel(source, out):
    """The adder example's panel with five red LEDs and two keys added: the circuit shows the
    sum of the switch nibbles on the red LEDs and counts key 0's presses on the green ones."""
    with open(os.path.join(source, 'examples', 'adder_a.jvp'), encoding='utf-8') as f:
        panel = json.load(f)
    for i in range(5):
        panel['components'].append({'index': i, 'key': 100 + i, 'position': {'x': 420 - 50 * i, 'y': -140},
                                    'type': 'led', 'value': {'color': 'red', 'on': 0}})
    for i in range(2):
        panel['components'].append({'index': i, 'key': 110 + i, 'position': {'x': 180 - 60 * i, 'y': -150},
                                    'type': 'button', 'value': 0})
    with open(out, 'w', encoding='utf-8') as f:
        json.dump(panel, f)


def compare_with_desktop(driver, panel_file, work):
    """Every component the desktop program places lies at the same place and size on the page,
    and looks the same there: the mean colour of its rectangle in both pictures."""
    desktop_png = os.path.join(work, 'desktop.png')
    out = subprocess.run([args.desktop, panel_file, desktop_png], capture_output=True, text=True, timeout=120,
                         env=dict(os.environ, QT_QPA_PLATFORM='offscreen', HOME=work, XDG_RUNTIME_DIR=work))
    if not check(out.returncode == 0, 'the desktop program draws the panel' +
                 ('' if out.returncode == 0 else f' ({out.stderr.strip()[-300:]})')):
        return
    placed = [json.loads(line) for line in out.stdout.splitlines() if line.startswith('{')]
    check(len(placed) >= 20, f'the desktop program places the panel\'s components ({len(placed)})')
    frame = driver.find_element(By.CSS_SELECTOR, '#panel-host .panel-frame')
    scale = float(frame.get_attribute('data-scale'))
    origin = driver.execute_script('return arguments[0].getBoundingClientRect().toJSON()', frame)
    browser_png = os.path.join(work, 'browser.png')
    frame.screenshot(browser_png)
    page = Image.open(browser_png).convert('RGB')
    desk = Image.open(desktop_png).convert('RGB')
    page = page.resize((round(page.width / scale), round(page.height / scale)), Image.BILINEAR)
    worst_place, worst_colour, compared = 0.0, 0.0, 0
    for p in placed:
        element = part(driver, p['kind'], p['index'])
        r = driver.execute_script('return arguments[0].getBoundingClientRect().toJSON()', element)
        x, y = (r['x'] - origin['x']) / scale, (r['y'] - origin['y']) / scale
        w, h = r['width'] / scale, r['height'] / scale
        worst_place = max(worst_place, abs(x - p['x']), abs(y - p['y']), abs(w - p['w']), abs(h - p['h']))
        box = (p['x'], p['y'], p['x'] + p['w'], p['y'] + p['h'])

        def mean(img):
            pixels = list(img.crop(box).getdata())
            return [sum(c[i] for c in pixels) / len(pixels) for i in range(3)]
        # The desktop program has no board here: what the board lit on the page differs.
        if element.get_attribute('data-on') == '1':
            continue
        compared += 1
        a, b = mean(page), mean(desk)
        worst_colour = max(worst_colour, max(abs(a[i] - b[i]) for i in range(3)))
    check(worst_place <= 1.5, f'every component lies where the desktop program puts it (worst {worst_place:.2f} px)')
    check(compared >= 20 and worst_colour <= 24,
          f'and looks as it does there ({compared} compared, worst mean colour difference {worst_colour:.1f})')
    both = Image.new('RGB', (desk.width + page.width, max(desk.height, page.height)), 'white')
    both.paste(desk, (0, 0))
    both.paste(page, (desk.width, 0))
    both.save(os.path.join(args.build, 'web_panel_comparison.png'))


class Abandoned(Exception):
    pass


def main():
    work = tempfile.mkdtemp(prefix='brixo-web-')
    # Chromium keeps its profile and scratch files under TMPDIR: inside work, they go with it.
    os.makedirs(os.path.join(work, 'tmp'))
    os.environ['TMPDIR'] = os.path.join(work, 'tmp')
    procs, drivers = [], []
    try:
        first = start_browser_or_skip()
        drivers.append(first)
        host = subprocess.Popen([os.path.join(args.build, 'tests', 'support', 'emu_board_host'),
                                 os.path.join(args.build, 'tests', 'support', 'libemu_hid_proxy.so')],
                                stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        procs.append(host)
        env = dict(os.environ)
        for _ in range(2):
            k, v = host.stdout.readline().strip().removeprefix('export ').split('=', 1)
            env[k] = v
        if 'ASAN_OPTIONS' in env:
            # The hardware proxy is preloaded ahead of a sanitized server's runtime.
            env['ASAN_OPTIONS'] += ':verify_asan_link_order=0:detect_leaks=0'
        panel_file = os.path.join(work, 'panel.jvp')
        test_panel(args.source, panel_file)
        with open(os.path.join(work, 'blank.rbf'), 'wb') as f:
            f.write(b'\x5a' * 2000)
        with open(os.path.join(work, 'lab.json'), 'w') as f:
            json.dump({'listen': '127.0.0.1:0', 'database': os.path.join(work, 'lab.sqlite'), 'slice_seconds': 900,
                       'idle_seconds': IDLE_SECONDS,
                       'boards': [{'id': 'b1', 'kind': 'adder', 'adapter': 0, 'panel': 'panel.jvp',
                                   'reset': 'blank.rbf'}]}, f)
        config = os.path.join(work, 'lab.json')
        for user, role in (('alice', 'student'), ('bob', 'student'), ('tina', 'teacher')):
            subprocess.run([args.labd, 'user', 'add', user, '--role', role, '--config', config],
                           input=f'{user}-pw\n', text=True, check=True, timeout=60)
        env['BRIXO_WEB_ROOT'] = args.web
        labd = subprocess.Popen([args.labd, 'lab', '--config', config], stdout=subprocess.PIPE,
                                stderr=open(os.path.join(work, 'labd.err'), 'w'), env=env, text=True)
        procs.append(labd)
        line = labd.stdout.readline()
        if not check(line.startswith('listening on 127.0.0.1:'), f'brixo-labd listens ({line.strip()})'):
            raise Abandoned()
        base = 'http://' + line.split()[-1]

        try:
            with urllib.request.urlopen(base + '/', timeout=10) as r:
                csp = r.headers.get('Content-Security-Policy', '')
        except urllib.error.HTTPError as e:
            check(False, f'brixo-labd serves the web client at / ({e.code}: its lab routes need the static files)')
            raise Abandoned()
        check("script-src 'self'" in csp and 'unsafe' not in csp, 'the page comes with a strict policy')

        alice = first
        sign_in(alice, base, 'alice', 'alice-pw')

        # A design that does not build: the compiler's messages with file and line.
        broken = os.path.join(work, 'broken.v')
        with open(broken, 'w') as f:
            f.write('module broken(input [3:0] SW, output [3:0] LEDR);\n  assign LEDR = SW +;\nendmodule\n')
        alice.find_element(By.ID, 'design-files').send_keys(broken)
        alice.find_element(By.ID, 'simulate-start').click()
        wait(alice, lambda d: 'broken.v:2' in d.find_element(By.ID, 'design-messages').text,
             'a design that does not build shows the compiler\'s message at broken.v:2', 120)
        # The example adder, simulated: its panel comes from its ports.
        alice.find_element(By.ID, 'design-files').clear()
        alice.find_element(By.ID, 'design-files').send_keys(os.path.join(args.source, 'examples', 'verilog', 'adder.v'))
        alice.find_element(By.ID, 'simulate-start').click()
        wait(alice, lambda d: attr(d, 'switch', 8, 'data-on') == '0', 'the simulated design\'s panel is built from its ports', 120)
        for s in (0, 4):
            part(alice, 'switch', s).click()
        wait(alice, lambda d: attr(d, 'led', 1, 'data-on') == '1' and attr(d, 'digit', 0, 'data-char') == '2',
             'on the simulated board 1 + 1 lights LED 1 and digit 0 shows 2')
        alice.find_element(By.ID, 'simulate-stop').click()
        wait(alice, lambda d: not d.find_elements(By.CSS_SELECTOR, '#panel-host .panel-frame'), 'the simulation ends')

        alice.find_element(By.ID, 'queue').click()
        wait(alice, lambda d: attr(d, 'switch', 0, 'data-on') == '0', 'alice is given the board and sees its panel')

        bob = browser()
        drivers.append(bob)
        sign_in(bob, base, 'bob', 'bob-pw')
        bob.find_element(By.ID, 'queue').click()
        wait(bob, lambda d: '1' in d.find_element(By.ID, 'status').text and d.find_element(By.ID, 'release').is_displayed(),
             'bob waits behind her at place 1')

        compare_with_desktop(alice, panel_file, work)

        for s in (0, 5):  # 1 + 2
            part(alice, 'switch', s).click()
        wait(alice, lambda d: attr(d, 'led', 0, 'data-on') == '1' and attr(d, 'led', 1, 'data-on') == '1'
             and attr(d, 'led', 2, 'data-on') == '0', 'a click on switches lights the sum on the red LEDs')
        wait(alice, lambda d: attr(d, 'digit', 0, 'data-char') == '3', 'and digit 0 shows the sum')
        check(alice.find_element(By.ID, 'countdown').text.strip() != '', 'the time left while holding is shown')
        alice.save_screenshot(os.path.join(args.build, 'web_browser_student.png'))
        # The first load's weight apart from the panel picture (a data: URL inside the panel).
        weight = alice.execute_script(
            "return performance.getEntriesByType('navigation').concat(performance.getEntriesByType('resource'))"
            ".filter(e => !e.name.includes('/api/')).reduce((n, e) => n + (e.encodedBodySize || 0), 0)")
        check(0 < weight < 200 * 1024, f'the page weighs {weight / 1024:.0f} KB apart from the panel picture')

        key = part(alice, 'key', 0)
        ActionChains(alice).click_and_hold(key).perform()
        wait(alice, lambda d: attr(d, 'key', 0, 'data-on') == '1', 'a key is down while the pointer holds it')
        ActionChains(alice).release(key).perform()
        wait(alice, lambda d: attr(d, 'key', 0, 'data-on') == '0' and attr(d, 'led', 18, 'data-on') == '1',
             'and its press counts on the green LEDs once let go')
        ActionChains(alice).key_down('0').perform()
        wait(alice, lambda d: attr(d, 'key', 0, 'data-on') == '1', 'the digit key 0 holds key 0')
        ActionChains(alice).key_up('0').perform()
        wait(alice, lambda d: attr(d, 'led', 18, 'data-on') == '0' and attr(d, 'led', 19, 'data-on') == '1',
             'and its press reaches the board')

        rbf = os.path.join(work, 'design.rbf')
        with open(rbf, 'wb') as f:
            f.write(os.urandom(40000))
        alice.find_element(By.ID, 'configure-file').send_keys(rbf)
        alice.find_element(By.ID, 'configure-start').click()
        wait(alice, lambda d: d.find_element(By.ID, 'configure-status').text in ('配置FPGA成功！', 'Configure FPGA Success!'),
             'a configuration uploads and downloads with its progress shown', 60)
        bar = alice.find_element(By.ID, 'configure-progress')
        check(bar.get_attribute('value') == bar.get_attribute('max'), 'the progress bar is full')

        tina = browser()
        drivers.append(tina)
        sign_in(tina, base, 'tina', 'tina-pw')
        wait(tina, lambda d: 'alice' in d.find_element(By.CSS_SELECTOR, '#teacher-boards tr[data-board="b1"] .holder').text,
             'the teacher sees alice holding b1')
        tina.find_element(By.CSS_SELECTOR, '#teacher-boards tr[data-board="b1"] button.watch').click()
        wait(tina, lambda d: attr(d, 'switch', 5, 'data-on', 'watch-host') == '1'
             and attr(d, 'led', 1, 'data-on', 'watch-host') == '1', 'and watches what alice sees')
        tina.save_screenshot(os.path.join(args.build, 'web_browser_teacher.png'))
        part(alice, 'switch', 1).click()  # 3 + 2
        wait(tina, lambda d: attr(d, 'switch', 1, 'data-on', 'watch-host') == '1'
             and attr(d, 'digit', 0, 'data-char', 'watch-host') == '5', 'live')

        alice.refresh()
        wait(alice, lambda d: attr(d, 'switch', 1, 'data-on') == '1' and attr(d, 'digit', 0, 'data-char') == '5',
             'a reloaded tab keeps the hold and the switches')
        english = alice.find_element(By.ID, 'release').text == 'Release the board'
        alice.find_element(By.ID, 'language').click()
        check(alice.find_element(By.ID, 'release').text == ('归还实验板' if english else 'Release the board'),
              'the language switch changes the page\'s texts')
        alice.find_element(By.ID, 'release').click()
        wait(bob, lambda d: attr(d, 'switch', 0, 'data-on') is not None, 'bob is given the board once she releases it')

        token = bob.execute_script("return sessionStorage.getItem('brixo.token')")
        bob.quit()
        drivers.remove(bob)
        teacher_token = tina.execute_script("return sessionStorage.getItem('brixo.token')")
        deadline = time.time() + IDLE_SECONDS + 20
        state = ''
        while time.time() < deadline:
            state = api(base, 'GET', '/api/v1/boards', teacher_token)[0]['state']
            if state != 'held':
                break
            time.sleep(0.5)
        check(state in ('free', 'resetting'), f'a closed tab ends the hold through the idle limit ({state})')
        try:
            api(base, 'GET', '/api/v1/me', token)
        except Exception:  # noqa: BLE001 - the token may be kept; the hold is what ends
            pass
    except Abandoned:
        pass  # a failed check said why nothing more can run
    except Exception as e:  # noqa: BLE001 - an element that never came is a failure like any other
        check(False, f'the run went on ({type(e).__name__}: {str(e).splitlines()[0] if str(e) else ""})')
    finally:
        for i, d in enumerate(drivers):
            try:
                if failures:
                    d.save_screenshot(os.path.join(args.build, f'web_browser_test_{i}.png'))
                d.quit()
            except Exception:  # noqa: BLE001
                pass
        # brixo-labd ends on SIGTERM; the board host on its closed standard input, removing its
        # socket, and is sent SIGTERM only when it does not.
        for p in reversed(procs):
            if p.poll() is not None:
                continue
            if p.stdin:
                p.stdin.close()
            else:
                p.send_signal(signal.SIGTERM)
            try:
                p.wait(15)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
        err = os.path.join(work, 'labd.err')
        if failures and os.path.exists(err):
            print('--- brixo-labd stderr ---\n' + open(err).read()[-3000:])
        shutil.rmtree(work, ignore_errors=True)
    print(f'{len(passes)} passed, {len(failures)} failed')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
