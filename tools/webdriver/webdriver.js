#!/usr/bin/env node
// Serves a site folder on the loopback interface and drives Debian's Chromium
// headless through the DevTools protocol, for the web scripts and the browser
// tests: pages, screenshots, keys, clicks, focus and visibility. Every console
// message and page error of the browser is printed as one line, so that the
// caller can hold a page to "no console error".
//
//   node webdriver.js serve DIR [PORT]     serve DIR on 127.0.0.1:PORT (default 8080, 0: any free
//                                          port, as printed) until stopped
//   node webdriver.js run DIR COMMAND...   serve DIR on a free port and run the commands in a
//                                          fresh headless Chromium, in order
// Commands (timeouts in milliseconds, default 60000):
//   size WxH               the viewport's size in CSS pixels (default 640x480), scale 1
//   init JS                run JS in every page from now on, before the page's own scripts
//   open PATH              load PATH of the site and wait for its load event
//   wait-title TEXT [MS]   until document.title is TEXT
//   wait JS [MS]           until the expression is true (throwing counts as false)
//   eval JS                print "eval: " and the expression's value as JSON
//   shot FILE              save the viewport as a PNG
//   key NAME               press and release a key: a letter, a digit, Escape, Enter, Tab,
//                          Backspace, Space, ArrowUp/Down/Left/Right, F1-F12, Shift, Control
//   click X Y              a left click at (X, Y) in the viewport
//   sleep MS
//   throttle RATE          the page's main thread runs RATE times slower (1: full speed)
//   hide | show            the page's window is minimised / restored
//   blur | focus           the page loses / regains the keyboard focus, staying visible
//                          (it has the focus from the start)
// Exit status: 0 when every command succeeded, 1 with "webdriver: REASON" otherwise, 2 for
// bad arguments.
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');

const kDefaultPort = 8080;
const kTimeoutMs = 60000;
const kPollMs = 50;
const kCloseTimeoutMs = 5000;
const kChromium = process.env.CHROMIUM || '/usr/bin/chromium';
const kMimeTypes = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8', '.wasm': 'application/wasm', '.png': 'image/png',
  '.json': 'application/json', '.tga': 'application/octet-stream', '.data': 'application/octet-stream',
};

// ---- the site server ----------------------------------------------------------------------

// Every request gets an answer and none ends the server: a path that names no
// regular file inside the site folder (a malformed escape, a NUL, a way out of
// the folder in any encoding, a link that leads out of it, a folder, a pipe or
// a device) is 404, a method other than GET and HEAD 405, and anything the
// handler did not expect a logged 500. Node.js itself answers a request it
// cannot parse (an unknown method, headers over its limit) with a 4xx.
const kAllowedMethods = 'GET, HEAD';
const kNotFoundCodes = new Set(['ENOENT', 'ENOTDIR', 'ENAMETOOLONG', 'ELOOP', 'EACCES', 'EPERM']);

class NotFound extends Error {}

// The promise's value; a failure that only says the name is no file to serve
// becomes NotFound, anything else stays what it is.
async function orNotFound(promise) {
  try {
    return await promise;
  } catch (error) {
    throw kNotFoundCodes.has(error.code) ? new NotFound() : error;
  }
}

// The real path of the regular file that the request's path names in the site
// folder `root` (a real path itself); throws NotFound for anything else.
async function siteFile(root, requestUrl) {
  let urlPath;
  try {
    urlPath = decodeURIComponent(new URL(requestUrl, 'http://localhost').pathname);
  } catch (error) {
    throw new NotFound();  // a malformed escape names no file
  }
  if (urlPath.includes('\0')) {
    throw new NotFound();
  }
  const named = path.join(root, urlPath.endsWith('/') ? urlPath + 'index.html' : urlPath);
  const real = await orNotFound(fs.promises.realpath(named));
  const relative = path.relative(root, real);
  if (relative === '' || relative.split(path.sep)[0] === '..' || path.isAbsolute(relative)) {
    throw new NotFound();  // the name, or a link on the way, leads out of the folder
  }
  return real;
}

// The file's bytes, unless it is no regular file (a folder, a pipe, a socket,
// a device): judged by its name, then again by what was opened, without ever
// waiting on a pipe.
async function readRegularFile(file) {
  if (!(await orNotFound(fs.promises.stat(file))).isFile()) {
    throw new NotFound();
  }
  const {O_RDONLY, O_NONBLOCK, O_NOFOLLOW} = fs.constants;
  const handle = await orNotFound(fs.promises.open(file, O_RDONLY | O_NONBLOCK | O_NOFOLLOW));
  try {
    if (!(await handle.stat()).isFile()) {
      throw new NotFound();
    }
    return await handle.readFile();
  } finally {
    await handle.close();
  }
}

// Node.js sends no body in answer to HEAD, but the length says what GET would get.
function answer(response, status, headers, body) {
  response.writeHead(status, {
    'Content-Length': body.length, 'Cache-Control': 'no-store', 'X-Content-Type-Options': 'nosniff',
    ...headers,
  });
  response.end(body);
}

function answerText(response, status, text, headers = {}) {
  const type = {'Content-Type': 'text/plain; charset=utf-8'};
  answer(response, status, {...type, ...headers}, Buffer.from(text + '\n'));
}

async function handle(root, request, response) {
  if (request.method !== 'GET' && request.method !== 'HEAD') {
    answerText(response, 405, 'method not allowed', {'Allow': kAllowedMethods});
    return;
  }
  try {
    const file = await siteFile(root, request.url);
    const data = await readRegularFile(file);
    const type = kMimeTypes[path.extname(file)] || 'application/octet-stream';
    answer(response, 200, {'Content-Type': type}, data);
  } catch (error) {
    if (!(error instanceof NotFound)) {
      throw error;
    }
    answerText(response, 404, 'not found');
  }
}

function failed(request, response, error) {
  console.error('webdriver: ' + request.method + ' ' + request.url.slice(0, 200) + ': ' +
                (error && error.stack || error));
  if (response.headersSent) {
    response.destroy();
  } else {
    answerText(response, 500, 'internal server error');
  }
}

// A CONNECT request is no request for a file, and Node.js would drop the
// connection without a word: it gets the 405 that any other method gets.
function refuseConnect(request, socket) {
  const text = 'method not allowed\n';
  socket.end('HTTP/1.1 405 Method Not Allowed\r\nContent-Length: ' + Buffer.byteLength(text) +
             '\r\nX-Content-Type-Options: nosniff\r\nAllow: ' + kAllowedMethods +
             '\r\nContent-Type: text/plain; charset=utf-8\r\nConnection: close\r\n\r\n' + text);
}

function serve(dir, port) {
  let root;
  try {
    root = fs.realpathSync(dir);
    if (!fs.statSync(root).isDirectory()) {
      throw new Error('not a folder');
    }
  } catch (error) {
    return Promise.reject(new Error('cannot serve ' + dir + ': ' +
                                    (error.code === 'ENOENT' ? 'no such folder' : error.message)));
  }
  const server = http.createServer((request, response) => {
    handle(root, request, response).catch((error) => failed(request, response, error));
  });
  server.on('connect', refuseConnect);
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => {
      server.off('error', reject);
      server.on('error', (error) => console.error('webdriver: ' + error.message));
      resolve(server);
    });
  });
}

// ---- the DevTools protocol over Chromium's pipe ----------------------------------------

// Chromium reads commands from its fd 3 and writes replies and events to its fd 4,
// each message one JSON text ended by a NUL byte.
class Browser {
  constructor() {
    this.profile = fs.mkdtempSync(path.join(os.tmpdir(), 'webdriver-'));
    const args = [
      '--headless', '--remote-debugging-pipe', '--user-data-dir=' + this.profile,
      '--disable-gpu', '--disable-quic', '--no-first-run', '--no-default-browser-check',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--hide-scrollbars', '--mute-audio',
      // WebGL without a GPU runs on SwiftShader, which Chromium now wants asked for.
      '--enable-unsafe-swiftshader', 'about:blank',
    ];
    if (process.getuid && process.getuid() === 0) {
      args.unshift('--no-sandbox');  // Chromium refuses to run as root with its sandbox
    }
    this.process = childProcess.spawn(kChromium, args, {stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe']});
    this.process.stderr.on('data', () => {});  // its own diagnostics are no page's errors
    this.nextId = 1;
    this.pending = new Map();
    this.listeners = [];
    this.buffer = Buffer.alloc(0);
    this.exited = new Promise((resolve) => this.process.once('exit', resolve));
    this.process.stdio[4].on('data', (chunk) => this.receive(chunk));
    this.process.once('exit', () => {
      for (const {reject} of this.pending.values()) {
        reject(new Error('Chromium ended'));
      }
      this.pending.clear();
    });
  }

  receive(chunk) {
    this.buffer = Buffer.concat([this.buffer, chunk]);
    let end;
    while ((end = this.buffer.indexOf(0)) >= 0) {
      const message = JSON.parse(this.buffer.subarray(0, end).toString('utf8'));
      this.buffer = this.buffer.subarray(end + 1);
      const waiter = this.pending.get(message.id);
      if (waiter) {
        this.pending.delete(message.id);
        if (message.error) {
          waiter.reject(new Error(waiter.method + ': ' + message.error.message));
        } else {
          waiter.resolve(message.result);
        }
      } else if (message.method) {
        this.listeners.forEach((listener) => listener(message));
      }
    }
  }

  send(method, params = {}, sessionId = undefined) {
    const id = this.nextId++;
    const text = JSON.stringify({id, method, params, sessionId});
    return new Promise((resolve, reject) => {
      this.pending.set(id, {resolve, reject, method});
      this.process.stdio[3].write(text + '\0');
    });
  }

  // Resolves with the first event of that method (and session) that satisfies the test.
  waitFor(method, sessionId, test = () => true) {
    return new Promise((resolve) => {
      const listener = (message) => {
        if (message.method === method && message.sessionId === sessionId && test(message.params)) {
          this.listeners.splice(this.listeners.indexOf(listener), 1);
          resolve(message.params);
        }
      };
      this.listeners.push(listener);
    });
  }

  // Browser.close lets Chromium end its helper processes before the profile goes.
  async close() {
    const killer = setTimeout(() => this.process.kill('SIGKILL'), kCloseTimeoutMs);
    this.send('Browser.close').catch(() => this.process.kill('SIGKILL'));
    await this.exited;
    clearTimeout(killer);
    fs.rmSync(this.profile, {recursive: true, force: true, maxRetries: 10, retryDelay: 100});
  }
}

// ---- one page and the commands --------------------------------------------------------

const kKeys = {
  Escape: ['Escape', 27], Enter: ['Enter', 13, '\r'], Tab: ['Tab', 9], Backspace: ['Backspace', 8],
  Space: ['Space', 32, ' '], ArrowUp: ['ArrowUp', 38], ArrowDown: ['ArrowDown', 40],
  ArrowLeft: ['ArrowLeft', 37], ArrowRight: ['ArrowRight', 39], Shift: ['ShiftLeft', 16],
  Control: ['ControlLeft', 17],
};

// The DOM's key, code, Windows key code and text of a key by its name.
function keyDefinition(name) {
  if (/^[a-z]$/.test(name)) {
    return {key: name, code: 'Key' + name.toUpperCase(), keyCode: name.toUpperCase().charCodeAt(0), text: name};
  }
  if (/^[0-9]$/.test(name)) {
    return {key: name, code: 'Digit' + name, keyCode: name.charCodeAt(0), text: name};
  }
  const f = /^F([1-9]|1[0-2])$/.exec(name);
  if (f) {
    return {key: name, code: name, keyCode: 111 + Number(f[1]), text: ''};
  }
  const known = kKeys[name];
  if (!known) {
    throw new Error('unknown key ' + name);
  }
  return {key: name === 'Space' ? ' ' : name, code: known[0], keyCode: known[1], text: known[2] || ''};
}

function consoleText(args) {
  return args.map((arg) => ('value' in arg ? String(arg.value) : arg.description || arg.type)).join(' ');
}

class Page {
  constructor(browser, site) {
    this.browser = browser;
    this.site = site;
  }

  async attach() {
    const {targetInfos} = await this.browser.send('Target.getTargets');
    this.targetId = targetInfos.find((target) => target.type === 'page').targetId;
    const attached = await this.browser.send('Target.attachToTarget', {targetId: this.targetId, flatten: true});
    this.sessionId = attached.sessionId;
    this.browser.listeners.push((message) => {
      if (message.sessionId === this.sessionId) {
        this.report(message);
      }
    });
    for (const domain of ['Page', 'Runtime', 'Log']) {
      await this.send(domain + '.enable');
    }
    await this.size('640x480');
    await this.focus(true);
  }

  report(message) {
    const params = message.params;
    if (message.method === 'Runtime.consoleAPICalled') {
      const level = params.type === 'assert' ? 'error' : params.type;
      console.log('console ' + level + ': ' + consoleText(params.args));
    } else if (message.method === 'Runtime.exceptionThrown') {
      const details = params.exceptionDetails;
      console.log('console error: ' + (details.exception ? details.exception.description : details.text));
    } else if (message.method === 'Log.entryAdded' && params.entry.level === 'error') {
      // The browser's own warnings (SwiftShader's "GPU stall due to ReadPixels" when a
      // screenshot is taken) say nothing about the page.
      console.log('console ' + params.entry.level + ': ' + params.entry.text +
                  (params.entry.url ? ' (' + params.entry.url + ')' : ''));
    }
  }

  send(method, params = {}) {
    return this.browser.send(method, params, this.sessionId);
  }

  async evaluate(expression) {
    const result = await this.send('Runtime.evaluate', {expression, returnByValue: true, awaitPromise: true});
    if (result.exceptionDetails) {
      throw new Error('eval ' + expression + ': ' + result.exceptionDetails.text);
    }
    return result.result.value;
  }

  // An expression that throws counts as not yet true (the page may still be
  // setting up what it reads); a timeout names the last error.
  async until(expression, timeoutMs, what) {
    const deadline = Date.now() + timeoutMs;
    let lastError = '';
    for (;;) {
      try {
        if (await this.evaluate('!!(' + expression + ')')) {
          return;
        }
      } catch (error) {
        lastError = ' (last: ' + error.message + ')';
      }
      if (Date.now() > deadline) {
        throw new Error('timed out after ' + timeoutMs + ' ms waiting for ' + what + lastError);
      }
      await new Promise((resolve) => setTimeout(resolve, kPollMs));
    }
  }

  async size(text) {
    const match = /^([0-9]+)x([0-9]+)$/.exec(text);
    if (!match) {
      throw new Error('size ' + text + ': not WxH');
    }
    await this.send('Emulation.setDeviceMetricsOverride',
                    {width: Number(match[1]), height: Number(match[2]), deviceScaleFactor: 1, mobile: false});
  }

  async open(pagePath) {
    const loaded = this.browser.waitFor('Page.loadEventFired', this.sessionId);
    await this.send('Page.navigate', {url: this.site + pagePath.replace(/^\//, '')});
    await loaded;
  }

  async key(name) {
    const key = keyDefinition(name);
    const common = {key: key.key, code: key.code, windowsVirtualKeyCode: key.keyCode,
                    nativeVirtualKeyCode: key.keyCode};
    await this.send('Input.dispatchKeyEvent', {type: key.text ? 'keyDown' : 'rawKeyDown', text: key.text,
                                                unmodifiedText: key.text, ...common});
    await this.send('Input.dispatchKeyEvent', {type: 'keyUp', ...common});
  }

  async click(x, y) {
    const point = {x: Number(x), y: Number(y), button: 'left', clickCount: 1};
    await this.send('Input.dispatchMouseEvent', {type: 'mouseMoved', x: point.x, y: point.y});
    await this.send('Input.dispatchMouseEvent', {type: 'mousePressed', ...point});
    await this.send('Input.dispatchMouseEvent', {type: 'mouseReleased', ...point});
  }

  // A minimised window hides its page, as the browser's own visibility has it.
  async setWindowState(windowState) {
    const {windowId} = await this.browser.send('Browser.getWindowForTarget', {targetId: this.targetId});
    await this.browser.send('Browser.setWindowBounds', {windowId, bounds: {windowState}});
  }

  // A headless browser's window never has the system's focus: the page gets it
  // by emulation, and losing it is the end of that emulation, with the
  // browser's own blur and focus events either way.
  focus(focused) {
    return this.send('Emulation.setFocusEmulationEnabled', {enabled: focused});
  }

  async shot(file) {
    const {data} = await this.send('Page.captureScreenshot', {format: 'png'});
    fs.writeFileSync(file, Buffer.from(data, 'base64'));
  }
}

// Each command: [arguments it needs, whether a timeout may follow, action].
const kCommands = {
  size: [1, false, (page, text) => page.size(text)],
  init: [1, false, (page, source) => page.send('Page.addScriptToEvaluateOnNewDocument', {source})],
  open: [1, false, (page, pagePath) => page.open(pagePath)],
  'wait-title': [1, true, (page, text, ms) => page.until('document.title === ' + JSON.stringify(text),
                                                          Number(ms || kTimeoutMs), 'the title "' + text + '"')],
  wait: [1, true, (page, expression, ms) => page.until(expression, Number(ms || kTimeoutMs), expression)],
  eval: [1, false, async (page, expression) => console.log('eval: ' + JSON.stringify(await page.evaluate(expression)))],
  shot: [1, false, (page, file) => page.shot(file)],
  key: [1, false, (page, name) => page.key(name)],
  click: [2, false, (page, x, y) => page.click(x, y)],
  sleep: [1, false, (page, ms) => new Promise((resolve) => setTimeout(resolve, Number(ms)))],
  throttle: [1, false, (page, rate) => page.send('Emulation.setCPUThrottlingRate',
                                                  {rate: Number(rate)})],
  hide: [0, false, (page) => page.setWindowState('minimized')],
  show: [0, false, (page) => page.setWindowState('normal')],
  blur: [0, false, (page) => page.focus(false)],
  focus: [0, false, (page) => page.focus(true)],
};

// [[name, args...], ...]. A timeout is a number, and no command's name is one.
function parseCommands(words) {
  const commands = [];
  for (let i = 0; i < words.length;) {
    const name = words[i++];
    const spec = kCommands[name];
    if (!spec) {
      throw new Error('unknown command ' + name);
    }
    const command = [name, ...words.slice(i, i + spec[0])];
    i += spec[0];
    if (command.length - 1 < spec[0]) {
      throw new Error(name + ' needs ' + spec[0] + ' argument(s)');
    }
    if (spec[1] && /^[0-9]+$/.test(words[i] || '')) {
      command.push(words[i++]);
    }
    commands.push(command);
  }
  return commands;
}

async function run(dir, words) {
  const commands = parseCommands(words);
  const server = await serve(dir, 0);
  try {
    const browser = new Browser();
    try {
      const page = new Page(browser, 'http://127.0.0.1:' + server.address().port + '/');
      await page.attach();
      for (const [name, ...args] of commands) {
        await kCommands[name][2](page, ...args);
      }
    } finally {
      await browser.close();
    }
  } finally {
    server.closeAllConnections();
    server.close();
  }
}

async function main(argv) {
  const [mode, dir, ...rest] = argv;
  const port = rest.length ? rest[0] : String(kDefaultPort);
  const portValid = /^[0-9]{1,5}$/.test(port) && Number(port) <= 65535;
  if (mode === 'serve' && dir && rest.length <= 1 && portValid) {
    const server = await serve(dir, Number(port));
    console.log('serving ' + path.resolve(dir) + ' on http://127.0.0.1:' + server.address().port + '/');
    return;
  }
  if (mode === 'run' && dir) {
    await run(dir, rest);
    return;
  }
  console.error('usage: node webdriver.js serve DIR [PORT] | run DIR COMMAND...');
  process.exitCode = 2;
}

main(process.argv.slice(2)).catch((error) => {
  console.log('webdriver: ' + error.message);
  process.exitCode = 1;
});
