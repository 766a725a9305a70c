// Snipline in the browser: window.snpln, the page's one way to the program
// (a worker that runs snpln-cli's core over the files given to it), and
// the page's controls, which call it as a script would. Nothing is fetched
// and nothing is sent: the worker reads the files in slices and keeps
// their new contents as Blobs.
'use strict';

(function () {
  // ---- window.snpln ----------------------------------------------------

  let worker = null;
  let ready = null;
  let pageData = null;
  let nextId = 1;
  // Requests in flight, by number: {handle(message), fail(error)}.
  const pending = new Map();
  // Runs and archives go to the worker one at a time.
  let queue = Promise.resolve();
  // The bytes of a run after which its worker is let go.
  const bigRun = 32 << 20;

  // Every worker starts from the one text the page loaded with it.
  let workerUrl = null;

  function startWorker() {
    if (!workerUrl)
      workerUrl = URL.createObjectURL(new Blob([self.snplnWorkerSource],
                                               {type: 'text/javascript'}));
    worker = new Worker(workerUrl);
    const started = new Promise((resolve, reject) => {
      worker.onmessage = (event) => {
        const message = event.data;
        if (message.type === 'ready') {
          pageData = message.data;
          resolve();
          return;
        }
        const request = pending.get(message.id);
        if (request)
          request.handle(message);
      };
      worker.onerror = (event) => {
        event.preventDefault();
        const error = new Error(event.message || 'the worker stopped');
        reject(error);
        failAll(error);
      };
    });
    ready = started;
    return started;
  }

  // Every request in flight fails, and a new worker takes the place of the
  // one that broke.
  function failAll(error) {
    const requests = [...pending.values()];
    pending.clear();
    worker.terminate();
    startWorker().catch(() => {});
    for (const request of requests)
      request.fail(error);
  }

  function enqueue(task) {
    const result = queue.then(() => ready).then(task);
    queue = result.catch(() => {});
    return result;
  }

  function checkPath(path) {
    if (typeof path !== 'string' || path === '' || path.includes('\0') ||
        path.split('/').some((part) => part === '' || part === '.' ||
                                       part === '..'))
      throw new TypeError('snpln: a file\'s path must be a relative path of ' +
                          'names separated by "/": ' + JSON.stringify(path));
  }

  // The files of a call, each with its bytes as a Blob.
  function inputsOf(files) {
    if (!Array.isArray(files))
      throw new TypeError('snpln: files must be an array of {path, bytes}');
    const seen = new Set();
    return files.map((file) => {
      if (file === null || typeof file !== 'object')
        throw new TypeError('snpln: each file must be {path, bytes}');
      checkPath(file.path);
      if (seen.has(file.path))
        throw new TypeError('snpln: the path ' + JSON.stringify(file.path) +
                            ' is given twice');
      seen.add(file.path);
      const bytes = file.bytes;
      let blob;
      if (bytes instanceof Blob)
        blob = bytes;
      else if (bytes instanceof Uint8Array || bytes instanceof ArrayBuffer)
        blob = new Blob([bytes]);
      else
        throw new TypeError('snpln: the bytes of ' + JSON.stringify(file.path) +
                            ' must be a Uint8Array, an ArrayBuffer or a Blob');
      const modified = typeof file.modified === 'number' ? file.modified
                       : bytes instanceof File ? bytes.lastModified
                                               : Date.now();
      return {path: file.path, bytes: bytes, blob: blob, modified: modified};
    });
  }

  // A Blob's bytes in one array of its size, read straight into it where
  // the browser can (a Blob read whole, or in slices, leaves copies behind
  // until they are collected).
  async function bytesOf(blob) {
    let buffer = new ArrayBuffer(blob.size);
    let at = 0;
    let reader = null;
    try {
      reader = blob.stream().getReader({mode: 'byob'});
    } catch (error) {
      reader = null;
    }
    if (reader) {
      while (at < blob.size) {
        const {value, done} =
            await reader.read(new Uint8Array(buffer, at, blob.size - at));
        if (done)
          break;
        buffer = value.buffer;
        at += value.byteLength;
      }
      reader.releaseLock();
    }
    const bytes = new Uint8Array(buffer);
    const slice = 16 << 20;
    for (; at < blob.size; at += slice)
      bytes.set(new Uint8Array(await blob.slice(at, at + slice).arrayBuffer()),
                at);
    return bytes;
  }

  // A file as a run's result gives it: its bytes as the caller gave them
  // when the run left it alone, else as asked.
  async function resultOf(input, blob, output) {
    if (output === 'blob')
      return {path: input.path, blob: blob || input.blob};
    if (!blob) {
      const bytes = input.bytes;
      if (bytes instanceof Uint8Array)
        return {path: input.path, bytes: bytes};
      if (bytes instanceof ArrayBuffer)
        return {path: input.path, bytes: new Uint8Array(bytes)};
      blob = bytes;
    }
    return {path: input.path, bytes: await bytesOf(blob)};
  }

  function language(options) {
    if (options.language === 'ru' || options.language === 'en')
      return options.language;
    return document.documentElement.lang === 'ru' ? 'ru' : 'en';
  }

  // snpln.run(args, files[, options]): see the README ("In the browser").
  function run(args, files, options) {
    options = options || {};
    if (!Array.isArray(args) || !args.every((arg) => typeof arg === 'string'))
      return Promise.reject(
          new TypeError('snpln.run: args must be an array of strings'));
    let inputs;
    try {
      inputs = inputsOf(files);
    } catch (error) {
      return Promise.reject(error);
    }
    const output = options.output === 'blob' ? 'blob' : 'bytes';
    return enqueue(() => new Promise((resolve, reject) => {
      const id = nextId++;
      const reports = [];
      const saved = new Map();
      // The object the running job's end would be, were it canceled now.
      let canceled = null;
      let started = 0;
      const signal = options.signal;
      const finish = (status, blobs, messages) => {
        pending.delete(id);
        if (signal)
          signal.removeEventListener('abort', abort);
        Promise.all(inputs.map((input, n) => resultOf(input, blobs[n], output)))
            .then((after) => resolve({status: status, reports: reports,
                                      files: after, messages: messages}),
                  reject);
      };
      const abort = () => {
        if (!pending.has(id))
          return;
        // The worker is busy to the end of the run: it goes, the files it
        // has saved stay saved, the one in hand stays as it was.
        pending.delete(id);
        worker.terminate();
        startWorker().catch(() => {});
        if (canceled)
          reports.push(JSON.parse(canceled));
        finish(130, inputs.map((input) => saved.get(input.path) || null), '');
      };
      pending.set(id, {
        handle(message) {
          switch (message.type) {
            case 'started':
              canceled = message.canceled;
              started = message.number;
              if (options.onProgress)
                options.onProgress({pass: JSON.parse(canceled).pass,
                                    path: JSON.parse(canceled).path,
                                    number: started, total: inputs.length,
                                    percent: 0});
              break;
            case 'progress':
              if (options.onProgress && canceled)
                options.onProgress({pass: JSON.parse(canceled).pass,
                                    path: JSON.parse(canceled).path,
                                    number: started, total: inputs.length,
                                    percent: message.percent});
              break;
            case 'report': {
              const object = JSON.parse(message.object);
              reports.push(object);
              canceled = null;
              if (options.onReport)
                options.onReport(object, {en: message.english,
                                          ru: message.russian});
              break;
            }
            case 'saved':
              // Its end is told next; should the run be canceled before,
              // the file is saved all the same.
              saved.set(message.path, message.blob);
              canceled = null;
              break;
            case 'done':
              // A worker that has been through much gives its memory back
              // before the results are read: a new one takes its place.
              if (inputs.reduce((sum, input) => sum + input.blob.size, 0) >
                  bigRun) {
                worker.terminate();
                startWorker().catch(() => {});
              }
              finish(message.status, message.files, message.messages);
              break;
            case 'refused':
              pending.delete(id);
              reject(new TypeError('snpln.run: no file can be put at ' +
                                   JSON.stringify(message.path) +
                                   ' beside the others'));
              break;
            case 'failed':
              failAll(new Error(message.error));
              break;
          }
        },
        fail: reject,
      });
      if (signal) {
        if (signal.aborted) {
          abort();
          return;
        }
        signal.addEventListener('abort', abort);
      }
      worker.postMessage({type: 'run', id: id, args: args,
                          russian: language(options) === 'ru',
                          files: inputs.map((input) => ({
                            path: input.path, blob: input.blob,
                            modified: input.modified}))});
    }));
  }

  // snpln.zip(files[, options]): a ZIP archive (a Blob) of the files
  // ({path, bytes or blob, modified}), their folder paths kept.
  function zip(files, options) {
    options = options || {};
    let inputs;
    try {
      inputs = inputsOf(files.map((file) => ({
        path: file.path, bytes: file.blob || file.bytes,
        modified: file.modified})));
    } catch (error) {
      return Promise.reject(error);
    }
    return enqueue(() => new Promise((resolve, reject) => {
      const id = nextId++;
      pending.set(id, {
        handle(message) {
          if (message.type === 'progress' && options.onProgress)
            options.onProgress({percent: message.percent});
          else if (message.type === 'zipped') {
            pending.delete(id);
            resolve(message.blob);
          } else if (message.type === 'failed') {
            failAll(new Error(message.error));
          }
        },
        fail: reject,
      });
      worker.postMessage({type: 'zip', id: id,
                          files: inputs.map((input) => ({
                            path: input.path, blob: input.blob,
                            modified: input.modified}))});
    }));
  }

  startWorker().catch(() => {});
  const api = {run: run, zip: zip};
  Object.defineProperty(api, 'ready', {get: () => ready});
  Object.defineProperty(api, 'data', {get: () => pageData});
  window.snpln = Object.freeze(api);

  // ---- the page --------------------------------------------------------

  const $ = (id) => document.getElementById(id);
  // The chosen files: path -> {path, file}.
  const chosen = new Map();
  // The last run: path -> {li, reports, words, after (a Blob or null)}.
  let results = new Map();
  let lastRun = null;
  let controller = null;
  let lang = (navigator.language || '').toLowerCase().startsWith('ru') ? 'ru'
                                                                       : 'en';
  const previewBytes = 65536;

  function texts() {
    return pageData[lang].texts;
  }

  function fill(text, values) {
    return text.replace(/%(\d)/g, (all, n) => String(values[Number(n) - 1]));
  }

  function setText(id, text) {
    $(id).textContent = text;
  }

  function controlId(option) {
    return 'opt' + option.replace(/^-+/, '-');
  }

  // The controls of the operations, from the program's data; the values
  // chosen so far are kept.
  function buildControls() {
    const data = pageData[lang];
    const values = readControls();
    const groups = $('groups');
    groups.replaceChildren();
    for (const group of data.groups) {
      const fieldset = document.createElement('fieldset');
      const legend = document.createElement('legend');
      legend.textContent = group.legend;
      fieldset.append(legend);
      for (const control of group.controls)
        fieldset.append(controlElement(control, data, values));
      groups.append(fieldset);
    }
    showCommand();
  }

  function controlElement(control, data, values) {
    const row = document.createElement('div');
    row.className = 'control ' + control.kind;
    const label = document.createElement('label');
    if (control.kind === 'radio') {
      const set = document.createElement('div');
      set.setAttribute('role', 'radiogroup');
      for (const choice of control.choices) {
        const input = document.createElement('input');
        input.type = 'radio';
        input.name = control.name;
        input.value = choice.option;
        input.id = 'opt-' + control.name + '-' +
                   (choice.option.replace(/^-+/, '') || 'none');
        input.checked = (values.get(control.name) || '') === choice.option;
        const text = document.createElement('label');
        text.htmlFor = input.id;
        text.textContent = choice.label;
        const one = document.createElement('span');
        one.append(input, text);
        set.append(one);
      }
      row.append(set);
      return row;
    }
    let input;
    if (control.kind === 'select') {
      input = document.createElement('select');
      const options = [];
      if (control.choices === 'sources')
        options.push(['auto', texts().auto]);
      else if (control.none !== '')
        options.push(['', control.none]);
      const list = control.choices === 'sources' ||
                   control.choices === 'targets'
                       ? data.pages.map((page) => [page.name, page.standard])
                       : control.choices.map((value) => [value, value]);
      for (const [value, shown] of options.concat(list)) {
        const option = document.createElement('option');
        option.value = value;
        option.textContent = shown;
        input.append(option);
      }
    } else {
      input = document.createElement('input');
      input.type = control.kind === 'check' ? 'checkbox'
                   : control.kind === 'number' ? 'number' : 'text';
      if (control.kind === 'number') {
        input.min = control.min;
        input.value = control.value;
        input.dataset.initial = control.value;
      }
    }
    input.id = controlId(control.option);
    input.dataset.option = control.option;
    input.dataset.kind = control.kind;
    const kept = values.get(control.option);
    if (kept !== undefined) {
      if (control.kind === 'check')
        input.checked = kept;
      else
        input.value = kept;
    }
    label.htmlFor = input.id;
    label.textContent = control.label;
    if (control.kind === 'check')
      row.append(input, label);
    else
      row.append(label, input);
    return row;
  }

  // option (or radio group) -> value, as the controls stand.
  function readControls() {
    const values = new Map();
    for (const input of document.querySelectorAll('#groups input, ' +
                                                  '#groups select')) {
      if (input.type === 'radio') {
        if (input.checked)
          values.set(input.name, input.value);
      } else if (input.type === 'checkbox') {
        values.set(input.dataset.option, input.checked);
      } else {
        values.set(input.dataset.option, input.value);
      }
    }
    return values;
  }

  // The top names of the chosen files: what snpln-cli would be given.
  function namesOf(paths) {
    const names = [];
    for (const path of paths) {
      const top = path.split('/')[0];
      if (!names.includes(top))
        names.push(top);
    }
    return names;
  }

  // snpln-cli's argument list the controls stand for, names included.
  function argsOfControls() {
    const args = [];
    for (const input of document.querySelectorAll('#groups input, ' +
                                                  '#groups select')) {
      const option = input.dataset.option;
      if (input.type === 'radio') {
        if (input.checked && input.value)
          args.push(input.value);
      } else if (input.type === 'checkbox') {
        if (input.checked)
          args.push(option);
      } else if (input.dataset.kind === 'number') {
        if (input.value !== input.dataset.initial)
          args.push(option, input.value);
      } else if (input.value !== '' && input.value !== 'auto') {
        args.push(option, input.value);
      }
    }
    return args.concat(namesOf([...chosen.keys()]));
  }

  function shellWord(word) {
    return /^[A-Za-z0-9_./:=+-]+$/.test(word) ? word
           : '\'' + word.replace(/'/g, '\'\\\'\'') + '\'';
  }

  function showCommand() {
    setText('command', ['snpln-cli'].concat(argsOfControls())
                           .map(shellWord).join(' '));
  }

  function showChosen() {
    let size = 0;
    for (const entry of chosen.values())
      size += entry.file.size;
    setText('chosen', chosen.size === 0 ? texts().none
                      : fill(texts().chosen, [chosen.size, size]));
    showCommand();
  }

  function choose(path, file) {
    chosen.set(path, {path: path, file: file});
  }

  function chooseFiles(list, byFolder) {
    for (const file of list)
      choose(byFolder && file.webkitRelativePath ? file.webkitRelativePath
                                                 : file.name, file);
    showChosen();
  }

  // A dropped file or folder, with everything in it.
  async function chooseEntry(entry, prefix) {
    if (entry.isFile) {
      const file = await new Promise((resolve, reject) =>
                                         entry.file(resolve, reject));
      choose(prefix + entry.name, file);
    } else if (entry.isDirectory) {
      const reader = entry.createReader();
      for (;;) {
        const batch = await new Promise((resolve, reject) =>
                                            reader.readEntries(resolve, reject));
        if (batch.length === 0)
          break;
        for (const inner of batch)
          await chooseEntry(inner, prefix + entry.name + '/');
      }
    }
  }

  async function dropped(event) {
    event.preventDefault();
    $('drop').classList.remove('over');
    const entries = [...event.dataTransfer.items]
                        .map((item) => item.webkitGetAsEntry &&
                                       item.webkitGetAsEntry())
                        .filter(Boolean);
    if (entries.length === 0) {
      chooseFiles(event.dataTransfer.files, false);
      return;
    }
    for (const entry of entries)
      await chooseEntry(entry, '');
    showChosen();
  }

  // The strongest of a file's outcomes over the passes.
  const outcomeRank = ['skipped', 'unchanged', 'detected', 'would-convert',
                       'converted', 'canceled', 'failed'];

  function resultFor(path) {
    let result = results.get(path);
    if (!result) {
      const li = document.createElement('li');
      li.dataset.path = path;
      const name = document.createElement('span');
      name.className = 'path';
      name.textContent = path;
      const page = document.createElement('span');
      page.className = 'page';
      const words = document.createElement('span');
      words.className = 'words';
      li.append(name, page, words);
      $('results').append(li);
      result = {li: li, words: [], after: null};
      results.set(path, result);
    }
    return result;
  }

  function noteReport(object, words) {
    // The list shows files, entries passed over and directories that
    // failed; the run's summary, a directory done and any kind a later
    // version adds are not rows of it.
    if (!['file', 'skipped', 'directory'].includes(object.kind) ||
        object.outcome === 'done')
      return;
    const result = resultFor(object.path || object.path_bytes);
    const li = result.li;
    const before = outcomeRank.indexOf(li.dataset.outcome || '');
    if (outcomeRank.indexOf(object.outcome) >= before)
      li.dataset.outcome = object.outcome;
    if (object.from && !li.dataset.from)
      li.dataset.from = object.from;
    if (object.to)
      li.dataset.to = object.to;
    result.words.push(words);
    showResult(result);
  }

  function showResult(result) {
    const li = result.li;
    const from = li.dataset.from || '';
    const to = li.dataset.to || '';
    li.querySelector('.page').textContent =
        from && to ? from + ' \u2192 ' + to : from || to;
    li.querySelector('.words').textContent =
        result.words.map((words) => words[lang]).join('; ');
    for (const button of li.querySelectorAll('button'))
      button.remove();
    const entry = chosen.get(li.dataset.path);
    if (!entry || !lastRun)
      return;
    const preview = document.createElement('button');
    preview.type = 'button';
    preview.className = 'preview';
    preview.textContent = texts().preview;
    preview.setAttribute('aria-label',
                         texts().preview + ': ' + li.dataset.path);
    preview.addEventListener('click', () => showPreview(li.dataset.path));
    const download = document.createElement('button');
    download.type = 'button';
    download.className = 'download';
    download.textContent = texts().download;
    download.setAttribute('aria-label',
                          texts().download + ': ' + li.dataset.path);
    download.addEventListener('click', () => {
      const blob = lastRun.after.get(li.dataset.path);
      save(blob, li.dataset.path.split('/').pop());
    });
    li.append(preview, download);
  }

  // The TextDecoder label of a page as the reports name it.
  function decoderOf(page) {
    const labels = {'IBM866': 'ibm866', 'windows-1251': 'windows-1251',
                    'KOI8-R': 'koi8-r', 'ISO-8859-5': 'iso-8859-5',
                    'UTF-8': 'utf-8', 'UTF-16': 'utf-16le',
                    'UTF-16LE': 'utf-16le', 'UTF-16BE': 'utf-16be'};
    return new TextDecoder(labels[page] || 'windows-1251');
  }

  async function showPreview(path) {
    const li = results.get(path).li;
    const before = chosen.get(path).file;
    const after = lastRun.after.get(path);
    const from = li.dataset.from;
    const to = li.dataset.to || from;
    const text = async (blob, page) =>
        decoderOf(page).decode(await blob.slice(0, previewBytes).arrayBuffer());
    setText('preview-heading', fill(texts().previewOf, [path]));
    setText('before', await text(before, from));
    setText('after', await text(after, to));
    setText('preview-note', before.size > previewBytes ||
                                    after.size > previewBytes
                                ? fill(texts().previewCut, [previewBytes])
                                : '');
    $('preview').hidden = false;
    $('preview-heading').focus();
  }

  function save(blob, name) {
    const url = URL.createObjectURL(blob);
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  }

  function busy(working) {
    for (const id of ['run', 'files', 'folder', 'clear', 'zip'])
      $(id).disabled = working || (id === 'zip' && !lastRun);
    $('cancel').disabled = !working;
  }

  async function runControls() {
    if (chosen.size === 0) {
      setText('status', texts().noFiles);
      return;
    }
    const entries = [...chosen.values()];
    results = new Map();
    lastRun = null;
    $('results').replaceChildren();
    $('preview').hidden = true;
    setText('status', '');
    controller = new AbortController();
    busy(true);
    try {
      const result = await run(
          argsOfControls(),
          entries.map((entry) => ({path: entry.path, bytes: entry.file})), {
            output: 'blob', signal: controller.signal, language: lang,
            onReport: noteReport,
            onProgress(progress) {
              $('progress').value =
                  100 * (progress.number - 1 + progress.percent / 100) /
                  Math.max(1, progress.total);
              setText('progress-text', fill(texts().working, [progress.path]));
            },
          });
      const now = Date.now();
      lastRun = {after: new Map(), modified: new Map()};
      result.files.forEach((file, n) => {
        lastRun.after.set(file.path, file.blob);
        lastRun.modified.set(file.path, file.blob === entries[n].file
                                            ? entries[n].file.lastModified
                                            : now);
      });
      for (const entry of results.values())
        showResult(entry);
      const said = texts()['status' + result.status] || '';
      setText('status', [said, result.messages].filter(Boolean).join(' '));
      $('progress').value = result.status === 130 ? 0 : 100;
    } catch (error) {
      setText('status', fill(texts().broken, [error.message]));
    } finally {
      setText('progress-text', '');
      controller = null;
      busy(false);
    }
  }

  async function downloadZip() {
    if (!lastRun)
      return;
    busy(true);
    setText('status', texts().zipping);
    try {
      const files = [...chosen.keys()].map((path) => ({
        path: path, blob: lastRun.after.get(path),
        modified: lastRun.modified.get(path)}));
      const blob = await zip(files, {
        onProgress(progress) { $('progress').value = progress.percent; }});
      save(blob, 'snpln.zip');
      setText('status', '');
    } catch (error) {
      setText('status', fill(texts().broken, [error.message]));
    } finally {
      busy(false);
    }
  }

  function showTexts() {
    const t = texts();
    document.documentElement.lang = lang;
    $('lang').value = lang;
    for (const [id, key] of [['heading', 'heading'], ['intro', 'intro'],
                             ['lang-label', 'language'],
                             ['choose-heading', 'choose'],
                             ['files-label', 'files'],
                             ['folder-label', 'folder'], ['drop', 'drop'],
                             ['clear', 'clear'],
                             ['operations-heading', 'operations'],
                             ['command-label', 'command'], ['run', 'run'],
                             ['cancel', 'cancel'],
                             ['progress-label', 'progress'],
                             ['results-heading', 'results'], ['zip', 'zip'],
                             ['before-label', 'before'],
                             ['after-label', 'after']])
      setText(id, t[key]);
    buildControls();
    showChosen();
    for (const result of results.values())
      showResult(result);
  }

  function startPage() {
    $('files').addEventListener('change', (event) => {
      chooseFiles(event.target.files, false);
      event.target.value = '';
    });
    $('folder').addEventListener('change', (event) => {
      chooseFiles(event.target.files, true);
      event.target.value = '';
    });
    $('clear').addEventListener('click', () => {
      chosen.clear();
      showChosen();
    });
    $('groups').addEventListener('input', showCommand);
    $('groups').addEventListener('change', showCommand);
    $('run').addEventListener('click', runControls);
    $('cancel').addEventListener('click', () => {
      if (controller)
        controller.abort();
    });
    $('zip').addEventListener('click', downloadZip);
    $('lang').addEventListener('change', (event) => {
      lang = event.target.value === 'ru' ? 'ru' : 'en';
      showTexts();
    });
    // Anywhere on the page: the drop area only shows where.
    document.body.addEventListener('dragover', (event) => {
      event.preventDefault();
      $('drop').classList.add('over');
    });
    document.body.addEventListener('dragleave', () =>
                                       $('drop').classList.remove('over'));
    document.body.addEventListener('drop', dropped);
    ready.then(() => {
      showTexts();
      busy(false);
      document.body.classList.add('ready');
    }, (error) => setText('status', 'The page could not start: ' +
                                        error.message));
  }

  if (document.readyState === 'loading')
    document.addEventListener('DOMContentLoaded', startPage);
  else
    startPage();
})();
