#!/usr/bin/python3
"""The remote page in a real headless browser, driven by the GUI test that starts the program.

    browser_check.py URL PIN [SCREENSHOT_DIR]

Talks with the test over lines: prints "ready", "moved CODE", "seen MS MS", "done" or "error TEXT";
reads "gui EPOCH_MS": the program's window set the Mic 1&2 level to GuiCode(moved) at EPOCH_MS.
Two pages log in with the PIN; the first moves the Mic 1&2 level with the arrow keys.
"""
import sys
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

PATH = "Mic12.MicLevel"


def say(line):
    print(line, flush=True)


def browser():
    options = webdriver.ChromeOptions()
    for arg in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage", "--disable-gpu",
                "--window-size=390,844", "--lang=en-US", "--no-first-run", "--disable-extensions",
                "--disable-background-networking", "--disable-sync"):
        options.add_argument(arg)
    options.binary_location = "/usr/bin/chromium"
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.set_page_load_timeout(30)
    return driver


def log_in(driver, url, pin):
    driver.get(url)
    wait = WebDriverWait(driver, 20)
    wait.until(lambda d: d.find_element(By.ID, "pin").is_displayed())
    driver.find_element(By.ID, "pin").send_keys(pin)
    driver.find_element(By.ID, "pinButton").click()
    wait.until(lambda d: d.find_element(By.ID, "field-" + PATH).is_displayed())
    wait.until(lambda d: d.execute_script("return document.getElementById(arguments[0]).max !== ''", "field-" + PATH))


def gui_code(moved):
    """The level the test sets in the program's window after the page moved it to `moved`."""
    return moved + 10 if moved < 20 else moved - 10


def code_of(driver):
    return int(driver.execute_script("return document.getElementById(arguments[0]).value", "field-" + PATH))


def phone(driver, height):
    """Shows the page as a phone 390 CSS pixels wide does (touch, no scroll bars, its own zoom)."""
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": 390, "height": height, "deviceScaleFactor": 1, "mobile": True})
    driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 1})


def save_login_pictures(driver, url, pin, shots):
    """login-LANG.png: the PIN screen of a 390x844 phone after a wrong PIN (two of the five tries)."""
    wrong = "%06d" % ((int(pin) + 1) % 1000000)
    driver.get(url)
    phone(driver, 844)
    for lang in ("en", "zh"):
        driver.execute_script("localStorage.setItem('pavo.lang', arguments[0]); location.reload()", lang)
        WebDriverWait(driver, 20).until(lambda d: d.find_element(By.ID, "pin").is_displayed())
        driver.find_element(By.ID, "pin").send_keys(wrong)
        driver.find_element(By.ID, "pinButton").click()
        WebDriverWait(driver, 5).until(lambda d: d.find_element(By.ID, "pinError").text != "")
        driver.save_screenshot("%s/login-%s.png" % (shots, lang))
    driver.execute_script("localStorage.removeItem('pavo.lang')")
    driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})


def save_phone_pictures(driver, shots, lang):
    """phone-LANG-N.png: the screens of a 390x844 phone, scrolled down one screen at a time."""
    phone(driver, 844)
    driver.execute_script("localStorage.setItem('pavo.lang', arguments[0]); location.reload()", lang)
    WebDriverWait(driver, 20).until(lambda d: d.find_element(By.ID, "field-" + PATH).is_displayed())
    time.sleep(1.0)
    height = driver.execute_script("return document.documentElement.scrollHeight")
    for n, top in enumerate(range(0, height, 800), start=1):
        driver.execute_script("window.scrollTo(0, arguments[0])", top)
        time.sleep(0.3)
        driver.save_screenshot("%s/phone-%s-%d.png" % (shots, lang, n))
    driver.execute_script("window.scrollTo(0, 0)")


# Each page notes the wall-clock time its slider first shows `code`.
WATCH = """
const el = document.getElementById('field-' + arguments[0]);
const code = String(arguments[1]);
window.__seenAt = null;
const look = () => { if (el.value === code && window.__seenAt === null) window.__seenAt = Date.now(); };
new MutationObserver(look).observe(document.getElementById('value-' + arguments[0]),
                                   {childList: true, characterData: true, subtree: true});
window.__watch = setInterval(look, 2);
"""


def main():
    url, pin = sys.argv[1], sys.argv[2]
    shots = sys.argv[3] if len(sys.argv) > 3 else None
    pages = []
    try:
        pages = [browser(), browser()]
        if shots:
            save_login_pictures(pages[0], url, pin, shots)
        for page in pages:
            log_in(page, url, pin)
        say("ready")

        first = pages[0]
        slider = first.find_element(By.ID, "field-" + PATH)
        start = code_of(first)
        key = Keys.ARROW_RIGHT if start < 30 else Keys.ARROW_LEFT
        for _ in range(3):
            slider.send_keys(key)
        moved = code_of(first)
        # The second page follows through the event stream.
        WebDriverWait(pages[1], 10).until(lambda d: code_of(d) == moved)

        if shots:
            for lang in ("en", "zh"):
                save_phone_pictures(first, shots, lang)
            first.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
            first.execute_script("localStorage.setItem('pavo.lang', 'en'); location.reload()")
            WebDriverWait(first, 20).until(lambda d: d.find_element(By.ID, "field-" + PATH).is_displayed())

        say("moved %d" % moved)
        code = gui_code(moved)
        for page in pages:
            page.execute_script(WATCH, PATH, code)
        say("watching %d" % code)
        line = sys.stdin.readline().split()
        if len(line) != 2 or line[0] != "gui":
            raise RuntimeError("expected 'gui EPOCH_MS', got %r" % line)
        editedAt = int(line[1])
        seen = []
        for page in pages:
            WebDriverWait(page, 10, poll_frequency=0.02).until(lambda d: d.execute_script("return window.__seenAt") is not None)
            seen.append(page.execute_script("return window.__seenAt") - editedAt)
        say("seen %d %d" % tuple(seen))
        say("done")
    except Exception as e:  # the test reports it
        say("error %s: %s" % (type(e).__name__, " ".join(str(e).split())[:300]))
    finally:
        for page in pages:
            page.quit()


if __name__ == "__main__":
    main()
