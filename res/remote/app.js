// The remote page: the PIN, then the unit's programs, masters, microphones, effects, input, meters and
// EQ curves, kept current by the service's event stream. Plain JavaScript, no libraries; every value
// goes back to the service as "code:N", the raw code form the field catalog reads back exactly.
"use strict";

(function () {
  const TEXT = {
    en: {
      other: "中文",
      enterPin: "Enter the PIN shown in the program",
      connect: "Connect",
      wrongPin: "Wrong PIN. Tries left before a pause: {n}.",
      lockedOut: "Too many wrong PINs. Try again in {n} s.",
      badPin: "The PIN has six digits.",
      noService: "The program does not answer.",
      online: "On line",
      offline: "Off line",
      busy: "Transfer…",
      noLink: "No connection",
      unit: "Unit",
      programs: "Programs",
      masters: "Master volumes",
      mics: "Microphones",
      effects: "Echo and reverb",
      input: "Music input",
      meters: "Level meters",
      curves: "EQ curves",
      music: "Music",
      mic: "Mic",
      effect: "Effect",
      mute: "Mute",
      mic12Level: "Mic 1&2",
      mic34Level: "Mic 3&4",
      mic12Feedback: "Feedback 1&2",
      mic34Feedback: "Feedback 3&4",
      keyShift: "Key",
      echoA: "Echo A",
      echoB: "Echo B",
      reverb: "Reverb",
      inputSelect: "Input",
      recalling: "Recalling {p}…",
      refusedBusy: "A transfer is running; try again in a moment.",
      refusedOffline: "The unit is off line.",
      refused: "Not taken: {m}",
      sessionEnded: "The session has ended; enter the PIN again.",
    },
    zh: {
      other: "English",
      enterPin: "请输入程序中显示的 PIN 码",
      connect: "连接",
      wrongPin: "PIN 码错误。暂停前还可尝试 {n} 次。",
      lockedOut: "PIN 码错误次数过多，请 {n} 秒后再试。",
      badPin: "PIN 码为六位数字。",
      noService: "程序没有应答。",
      online: "联机",
      offline: "脱机",
      busy: "传输中…",
      noLink: "未连接",
      unit: "设备",
      programs: "模式",
      masters: "主音量",
      mics: "话筒",
      effects: "回声与混响",
      input: "音乐输入",
      meters: "电平表",
      curves: "EQ 曲线",
      music: "音乐",
      mic: "话筒",
      effect: "效果",
      mute: "静音",
      mic12Level: "话筒1&2",
      mic34Level: "话筒3&4",
      mic12Feedback: "啸叫抑制1&2",
      mic34Feedback: "啸叫抑制3&4",
      keyShift: "变调",
      echoA: "回声A",
      echoB: "回声B",
      reverb: "混响",
      inputSelect: "输入选择",
      recalling: "正在调用 {p}…",
      refusedBusy: "正在传输，请稍后再试。",
      refusedOffline: "设备脱机。",
      refused: "未执行：{m}",
      sessionEnded: "会话已结束，请重新输入 PIN 码。",
    },
  };

  // EQ blocks by number, in the order the page shows them.
  const BLOCKS = [
    [0, "Music L", "音乐左"], [1, "Music R", "音乐右"], [16, "Music L dynamic EQ", "音乐左动态均衡"],
    [17, "Music R dynamic EQ", "音乐右动态均衡"], [2, "Mic 1&2", "话筒1&2"], [3, "Mic 3&4", "话筒3&4"],
    [4, "Echo A", "回声A"], [5, "Echo B", "回声B"], [6, "Reverb", "混响"], [13, "Out 1", "输出1"],
    [12, "Out 2", "输出2"], [9, "Out 3", "输出3"], [8, "Out 4", "输出4"], [10, "Center", "中置"],
    [11, "SUB", "超低音"], [14, "Surround L", "环绕左"], [15, "Surround R", "环绕右"],
  ];

  const MASTERS = [
    { key: "music", level: "System.MusicMaster.Level", mute: "System.MusicMaster.Mute", max: "System.MusicMax" },
    { key: "mic", level: "System.MicMaster.Level", mute: "System.MicMaster.Mute", max: "System.MicMax" },
    { key: "effect", level: "System.EffectMaster.Level", mute: "System.EffectMaster.Mute", max: "System.EffectMax" },
  ];
  const MIC_ROWS = [
    { key: "mic12Level", path: "Mic12.MicLevel", kind: "slider" },
    { key: "mic34Level", path: "Mic34.MicLevel", kind: "slider" },
    { key: "mic12Feedback", path: "Mic12.FeedbackSuppress", kind: "choice" },
    { key: "mic34Feedback", path: "Mic34.FeedbackSuppress", kind: "choice" },
    { key: "keyShift", path: "System.KeyShift", kind: "slider" },
  ];
  const EFFECT_ROWS = [
    { key: "echoA", path: "EchoA.EffectLevel", kind: "slider" },
    { key: "echoB", path: "EchoB.EffectLevel", kind: "slider" },
    { key: "reverb", path: "Reverb.EffectLevel", kind: "slider" },
  ];
  const INPUT_ROWS = [{ key: "inputSelect", path: "System.InputSelect", kind: "choice" }];

  // Choice texts of the field catalog that read differently in Chinese (the program's window says 自动).
  const CHOICE_TEXT = { zh: { Auto: "自动" } };

  const HOLD_MS = 800;        // a control being moved ignores echoes of older values this long
  const METER_FLOOR = 110;    // status levels below light no segment
  const METER_TOP = 200;      // the top (clip) segment

  const $ = (id) => document.getElementById(id);
  const state = {
    unit: 0,
    panel: {},
    built: false,
    connected: false,
    busy: false,
    streamOpen: false,
    program: null,
    programs: [],
    frequencies: null,
    curves: {},
  };
  let lang = chooseLanguage();
  let source = null;
  const held = {};      // path -> time until which echoes are held back
  const sending = {};   // path -> {inFlight, next}
  const curveFetch = {};  // block -> {inFlight, again}
  let toastTimer = 0;
  let lockTimer = 0;

  // ---- Language ----

  function chooseLanguage() {
    const saved = localStorage.getItem("pavo.lang");
    if (saved === "en" || saved === "zh") return saved;
    const wanted = (navigator.languages && navigator.languages[0]) || navigator.language || "en";
    return wanted.toLowerCase().startsWith("zh") ? "zh" : "en";
  }

  function t(key, values) {
    let text = (TEXT[lang] && TEXT[lang][key]) || TEXT.en[key] || key;
    for (const name in values || {}) text = text.replace("{" + name + "}", values[name]);
    return text;
  }

  function applyLanguage() {
    document.documentElement.lang = lang === "zh" ? "zh-CN" : "en";
    for (const el of document.querySelectorAll("[data-i18n]")) el.textContent = t(el.dataset.i18n);
    for (const el of document.querySelectorAll("[data-i18n-label]")) el.setAttribute("aria-label", t(el.dataset.i18nLabel));
    for (const el of document.querySelectorAll("select[data-labels]")) showChoices(el, JSON.parse(el.dataset.labels));
    $("lang").textContent = t("other");
    for (const [block, en, zh] of BLOCKS) {
      const caption = $("curve-name-" + block);
      if (caption) caption.textContent = lang === "zh" ? zh : en;
    }
    showLink();
  }

  // ---- Requests ----

  async function api(method, path, body) {
    const init = { method, headers: {}, credentials: "same-origin", cache: "no-store" };
    if (body !== undefined) {
      init.headers["Content-Type"] = "application/json";
      init.body = JSON.stringify(body);
    }
    let response;
    try {
      response = await fetch(path, init);
    } catch (e) {
      return { status: 0, body: { error: t("noService") } };
    }
    let data = null;
    try {
      data = await response.json();
    } catch (e) {
      data = {};
    }
    if (response.status === 401 && path !== "/api/session") sessionEnded();
    return { status: response.status, body: data || {} };
  }

  function withUnit(path) {
    return path + (path.indexOf("?") < 0 ? "?" : "&") + "unit=" + state.unit;
  }

  // ---- Session ----

  function showLogin(message) {
    closeEvents();
    $("app").hidden = true;
    $("login").hidden = false;
    $("pinError").textContent = message || "";
    $("pin").value = "";
    $("pin").focus();
  }

  function sessionEnded() {
    if (!$("login").hidden) return;
    showLogin(state.built ? t("sessionEnded") : "");
  }

  async function login(event) {
    event.preventDefault();
    const pin = $("pin").value.trim();
    if (!/^[0-9]{6}$/.test(pin)) {
      $("pinError").textContent = t("badPin");
      return;
    }
    const answer = await api("POST", "/api/session", { pin });
    if (answer.status === 200) {
      $("login").hidden = true;
      $("pinError").textContent = "";
      start();
    } else if (answer.status === 401) {
      $("pinError").textContent = t("wrongPin", { n: answer.body.attemptsLeft });
    } else if (answer.status === 429) {
      lockedOut(answer.body.retryAfter || 30);
    } else {
      $("pinError").textContent = answer.body.error || t("noService");
    }
  }

  function lockedOut(seconds) {
    clearInterval(lockTimer);
    $("pinButton").disabled = true;
    const show = () => ($("pinError").textContent = t("lockedOut", { n: seconds }));
    show();
    lockTimer = setInterval(() => {
      seconds -= 1;
      if (seconds > 0) return show();
      clearInterval(lockTimer);
      $("pinButton").disabled = false;
      $("pinError").textContent = "";
    }, 1000);
  }

  async function start() {
    const units = await api("GET", "/api/units");
    if (units.status !== 200) return;
    const list = units.body.units || [];
    const select = $("unit");
    select.textContent = "";
    list.forEach((u) => {
      const option = document.createElement("option");
      option.value = u.unit;
      option.textContent = (u.unit + 1) + ": " + u.name;
      select.appendChild(option);
    });
    if (state.unit >= list.length) state.unit = 0;
    select.value = state.unit;
    $("unitRow").hidden = list.length < 2;
    $("app").hidden = false;
    openEvents();
  }

  // ---- Event stream ----

  function openEvents() {
    closeEvents();
    source = new EventSource(withUnit("/api/events"));
    source.addEventListener("open", () => {
      state.streamOpen = true;
      showLink();
    });
    source.addEventListener("state", (e) => applyState(JSON.parse(e.data)));
    source.addEventListener("fields", (e) => applyFields(JSON.parse(e.data)));
    source.addEventListener("status", (e) => applyStatus(JSON.parse(e.data)));
    source.addEventListener("meters", (e) => applyMeters(JSON.parse(e.data)));
    source.addEventListener("error", () => {
      state.streamOpen = false;
      showLink();
      // Closed for good (a refused session, a stopped service): ask whether the session still holds.
      if (source && source.readyState === EventSource.CLOSED) {
        closeEvents();
        api("GET", withUnit("/api/state")).then((a) => {
          if (a.status === 200 && !document.hidden) setTimeout(openEvents, 2000);
        });
      }
    });
  }

  function closeEvents() {
    if (source) source.close();
    source = null;
    state.streamOpen = false;
  }

  // A hidden page takes no events (no meters drain the phone); the first event after it shows again
  // is the whole state.
  document.addEventListener("visibilitychange", () => {
    if ($("app").hidden) return;
    if (document.hidden) closeEvents();
    else openEvents();
  });

  function applyState(s) {
    state.panel = s.panel || {};
    if (!state.built) build();
    for (const path in state.panel) render(path, true);
    applyStatus(s);
    applyMeters(s.meters);
    fetchAllCurves();
  }

  function applyFields(e) {
    for (const path in e.fields) {
      if (!(path in state.panel)) continue;
      Object.assign(state.panel[path], e.fields[path]);
      render(path, true);
    }
    for (const block of e.curves || []) fetchCurve(block);
  }

  function applyStatus(s) {
    state.connected = !!s.connected;
    state.busy = !!s.busy;
    state.program = s.program || null;
    state.programs = s.programs || state.programs;
    showLink();
    showPrograms();
  }

  // ---- Controls ----

  function build() {
    state.built = true;
    const masters = $("masters");
    for (const m of MASTERS) {
      const row = slider(masters, m.key, m.level);
      row.classList.add("with-button");
      const mute = document.createElement("button");
      mute.type = "button";
      mute.className = "mute";
      mute.id = "field-" + m.mute;
      mute.dataset.i18n = "mute";
      mute.textContent = t("mute");
      mute.setAttribute("aria-pressed", "false");
      mute.addEventListener("click", () => {
        const f = state.panel[m.mute];
        if (f) send(m.mute, f.code ? f.min : f.max);
      });
      row.appendChild(mute);
    }
    for (const r of MIC_ROWS) (r.kind === "slider" ? slider : choice)($("mics"), r.key, r.path);
    for (const r of EFFECT_ROWS) slider($("effects"), r.key, r.path);
    for (const r of INPUT_ROWS) choice($("input"), r.key, r.path);
    buildMeters();
    buildCurves();
    applyLanguage();
  }

  function row(container, key, extraClass) {
    const r = document.createElement("div");
    r.className = "row" + (extraClass ? " " + extraClass : "");
    const name = document.createElement("span");
    name.className = "name";
    name.dataset.i18n = key;
    name.textContent = t(key);
    r.appendChild(name);
    container.appendChild(r);
    return r;
  }

  function slider(container, key, path) {
    const r = row(container, key);
    const input = document.createElement("input");
    input.type = "range";
    input.id = "field-" + path;
    input.step = 1;
    const value = document.createElement("span");
    value.className = "value";
    value.id = "value-" + path;
    input.addEventListener("input", () => {
      held[path] = Date.now() + HOLD_MS;
      showFill(input);
      value.textContent = label(path, Number(input.value));
      send(path, Number(input.value));
    });
    input.addEventListener("change", () => send(path, Number(input.value)));
    r.appendChild(input);
    r.appendChild(value);
    input.dataset.i18nLabel = key;
    input.setAttribute("aria-label", t(key));
    return r;
  }

  function choice(container, key, path) {
    const r = row(container, key, "choice");
    const select = document.createElement("select");
    select.id = "field-" + path;
    select.dataset.i18nLabel = key;
    select.setAttribute("aria-label", t(key));
    select.addEventListener("change", () => send(path, Number(select.value)));
    r.appendChild(select);
    return r;
  }

  function showFill(input) {
    const span = Number(input.max) - Number(input.min);
    const share = span > 0 ? (Number(input.value) - Number(input.min)) / span : 0;
    input.style.setProperty("--fill", (share * 100).toFixed(1) + "%");
  }

  function choiceText(text) {
    return (CHOICE_TEXT[lang] && CHOICE_TEXT[lang][text]) || text;
  }

  function showChoices(select, labels) {
    labels.forEach((text, i) => {
      if (select.options[i]) select.options[i].textContent = choiceText(text);
    });
  }

  function label(path, code) {
    const f = state.panel[path];
    if (!f) return "";
    if (f.labels && code >= f.min && code - f.min < f.labels.length) return f.labels[code - f.min];
    return code === f.code ? f.display : String(code);
  }

  // Shows a field's value on its control; `fromUnit`: it came from the service (not this page's own
  // move), so a control being moved keeps its position until the hold ends.
  function render(path, fromUnit) {
    const f = state.panel[path];
    if (!f) return;
    for (const m of MASTERS) if (m.max === path) render(m.level, fromUnit);
    const el = $("field-" + path);
    const shown = $("value-" + path);
    if (fromUnit && shown) shown.dataset.updatedAt = String(Date.now());
    if (!el) return;
    if (fromUnit) el.dataset.updatedAt = String(Date.now());
    if (held[path] && Date.now() < held[path]) {
      setTimeout(() => render(path, false), held[path] - Date.now() + 20);
      return;
    }
    delete held[path];
    if (el.tagName === "BUTTON") {
      el.setAttribute("aria-pressed", f.code ? "true" : "false");
    } else if (el.tagName === "SELECT") {
      if (el.options.length !== (f.labels || []).length) {
        el.textContent = "";
        (f.labels || []).forEach((text, i) => {
          const option = document.createElement("option");
          option.value = f.min + i;
          el.appendChild(option);
        });
        el.dataset.labels = JSON.stringify(f.labels || []);
        showChoices(el, f.labels || []);
      }
      el.value = String(f.code);
    } else {
      const master = MASTERS.find((m) => m.level === path);
      const top = master && state.panel[master.max] ? state.panel[master.max].code : f.max;
      el.min = f.min;
      el.max = top;
      el.value = String(f.code);
      showFill(el);
      if (shown) shown.textContent = f.display;
    }
    el.disabled = state.busy;
  }

  // One request per field at a time; moves made meanwhile go out as one, the newest, afterwards.
  function send(path, code) {
    const s = sending[path] || (sending[path] = { inFlight: false, next: null });
    s.next = code;
    if (!s.inFlight) flush(path);
  }

  async function flush(path) {
    const s = sending[path];
    if (s.next === null) return;
    const code = s.next;
    s.next = null;
    s.inFlight = true;
    const answer = await api("PUT", withUnit("/api/fields/" + encodeURIComponent(path)), { value: "code:" + code });
    s.inFlight = false;
    if (answer.status === 200) {
      Object.assign(state.panel[path], answer.body.value);
    } else if (answer.status === 409) {
      toast(answer.body.error && /off line/.test(answer.body.error) ? t("refusedOffline") : t("refusedBusy"));
    } else if (answer.status !== 401) {
      toast(t("refused", { m: answer.body.error || answer.status }));
    }
    if (s.next !== null) return flush(path);
    if (answer.status !== 200) delete held[path];
    render(path, false);
  }

  // ---- Programs and link ----

  function showLink() {
    const pill = $("link");
    let key = "noLink";
    let cls = "off";
    if (state.streamOpen || !source) {
      if (!state.connected) key = "offline";
      else if (state.busy) (key = "busy"), (cls = "busy");
      else (key = "online"), (cls = "on");
    }
    pill.dataset.i18n = key;
    pill.textContent = t(key);
    pill.className = "pill " + cls;
    const p = state.program;
    $("programName").textContent = p && p.label ? p.label + ": " + p.name : "";
  }

  function showPrograms() {
    const box = $("programs");
    if (box.children.length !== state.programs.length) {
      box.textContent = "";
      for (const p of state.programs) {
        const b = document.createElement("button");
        b.type = "button";
        b.id = "program-" + p.number;
        const number = document.createElement("span");
        number.className = "number";
        const name = document.createElement("span");
        name.className = "label";
        b.appendChild(number);
        b.appendChild(name);
        b.addEventListener("click", () => recall(p.number));
        box.appendChild(b);
      }
    }
    state.programs.forEach((p, i) => {
      const b = box.children[i];
      b.children[0].textContent = p.label;
      b.children[1].textContent = p.name;
      b.classList.toggle("current", !!state.program && state.program.number === p.number);
      b.disabled = state.busy || !state.connected;
    });
    for (const path in state.panel) {
      const el = $("field-" + path);
      if (el) el.disabled = state.busy;
    }
  }

  async function recall(number) {
    const answer = await api("POST", withUnit("/api/recall"), { program: number });
    if (answer.status === 202) toast(t("recalling", { p: answer.body.label }));
    else if (answer.status === 409) toast(/off line/.test(answer.body.error || "") ? t("refusedOffline") : t("refusedBusy"));
    else if (answer.status !== 401) toast(t("refused", { m: answer.body.error || answer.status }));
  }

  // ---- Meters ----

  function buildMeters() {
    const box = $("meters");
    for (let i = 0; i < 12; i++) {
      const m = document.createElement("div");
      m.className = "meter";
      m.id = "meter-" + i;
      m.innerHTML = '<div class="signal"></div><div class="well"><div class="fill"></div></div>';
      const n = document.createElement("span");
      n.className = "number";
      n.textContent = String(i + 1);
      m.appendChild(n);
      box.appendChild(m);
    }
  }

  function applyMeters(m) {
    if (!m) return;
    const box = $("meters");
    box.classList.toggle("off", !m.on);
    for (let i = 0; i < 12; i++) {
      const meter = $("meter-" + i);
      if (!meter) return;
      const level = m.levels[i];
      const share = Math.max(0, Math.min(1, (level - METER_FLOOR) / (METER_TOP - METER_FLOOR)));
      meter.querySelector(".fill").style.height = (share * 100).toFixed(1) + "%";
      meter.classList.toggle("clip", level >= METER_TOP);
      meter.classList.toggle("signal-on", m.indicators[i] < METER_TOP);
    }
  }

  // ---- Curves ----

  const SVG = "http://www.w3.org/2000/svg";
  const WIDTH = 420;
  const HEIGHT = 120;
  const DB_RANGE = 24;  // the plot shows -24 .. +24 dB

  function svg(name, attributes) {
    const el = document.createElementNS(SVG, name);
    for (const key in attributes) el.setAttribute(key, attributes[key]);
    return el;
  }

  function y(db) {
    return Math.max(0, Math.min(HEIGHT, HEIGHT / 2 - (db * HEIGHT) / (2 * DB_RANGE)));
  }

  function buildCurves() {
    const box = $("curves");
    for (const [block] of BLOCKS) {
      const figure = document.createElement("figure");
      figure.className = "curve";
      const caption = document.createElement("figcaption");
      caption.id = "curve-name-" + block;
      figure.appendChild(caption);
      const plot = svg("svg", { viewBox: "0 0 " + WIDTH + " " + HEIGHT, id: "curve-" + block, role: "img" });
      for (const db of [12, -12]) plot.appendChild(svg("line", { class: "grid", x1: 0, x2: WIDTH, y1: y(db), y2: y(db) }));
      plot.appendChild(svg("line", { class: "zero", x1: 0, x2: WIDTH, y1: y(0), y2: y(0) }));
      for (const db of [12, 0, -12]) {
        const scale = svg("text", { x: 4, y: y(db) - 4 });
        scale.textContent = (db > 0 ? "+" : "") + db + " dB";
        plot.appendChild(scale);
      }
      plot.appendChild(svg("g", { class: "ticks" }));
      plot.appendChild(svg("polyline", { class: "line", points: "" }));
      figure.appendChild(plot);
      box.appendChild(figure);
    }
  }

  function drawTicks() {
    if (!state.frequencies) return;
    for (const [block] of BLOCKS) {
      const ticks = $("curve-" + block).querySelector(".ticks");
      if (ticks.childNodes.length) continue;
      for (const [hz, text] of [[100, "100"], [1000, "1k"], [10000, "10k"]]) {
        const x = nearestIndex(hz) * (WIDTH / (state.frequencies.length - 1));
        ticks.appendChild(svg("line", { class: "grid", x1: x, x2: x, y1: 0, y2: HEIGHT }));
        const label = svg("text", { x: x + 3, y: HEIGHT - 5 });
        label.textContent = text;
        ticks.appendChild(label);
      }
    }
  }

  function nearestIndex(hz) {
    let best = 0;
    state.frequencies.forEach((f, i) => {
      if (Math.abs(Math.log(f / hz)) < Math.abs(Math.log(state.frequencies[best] / hz))) best = i;
    });
    return best;
  }

  function drawCurve(block, levels) {
    const plot = $("curve-" + block);
    if (!plot || !levels) return;
    const step = WIDTH / (levels.length - 1);
    const points = levels.map((db, i) => (i * step).toFixed(1) + "," + y(db).toFixed(1)).join(" ");
    plot.querySelector(".line").setAttribute("points", points);
  }

  async function fetchAllCurves() {
    const answer = await api("GET", withUnit("/api/curves"));
    if (answer.status !== 200) return;
    state.frequencies = answer.body.frequencies;
    drawTicks();
    for (const c of answer.body.curves) drawCurve(c.block, c.levels);
  }

  // One request per block at a time; changes meanwhile bring one more afterwards.
  async function fetchCurve(block) {
    const f = curveFetch[block] || (curveFetch[block] = { inFlight: false, again: false });
    if (f.inFlight) {
      f.again = true;
      return;
    }
    f.inFlight = true;
    const answer = await api("GET", withUnit("/api/curves/" + block));
    f.inFlight = false;
    if (answer.status === 200) drawCurve(block, answer.body.levels);
    if (f.again) {
      f.again = false;
      fetchCurve(block);
    }
  }

  // ---- Toast ----

  function toast(text) {
    const el = $("toast");
    el.textContent = text;
    el.classList.add("shown");
    clearTimeout(toastTimer);
    toastTimer = setTimeout(() => el.classList.remove("shown"), 3000);
  }

  // ---- Start ----

  document.addEventListener("DOMContentLoaded", async () => {
    $("lang").addEventListener("click", () => {
      lang = lang === "zh" ? "en" : "zh";
      localStorage.setItem("pavo.lang", lang);
      applyLanguage();
    });
    $("pinForm").addEventListener("submit", login);
    $("unit").addEventListener("change", () => {
      state.unit = Number($("unit").value);
      openEvents();
    });
    applyLanguage();
    const units = await api("GET", "/api/units");
    if (units.status === 200) start();
    else showLogin(units.status === 0 ? t("noService") : "");
  });
})();
