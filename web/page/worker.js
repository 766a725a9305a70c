// The worker's side of the browser's page, after the program's own code
// (web/wasm_main.cpp): the page sends it a run or a ZIP archive to make,
// it answers with the run's events as they come and its end. Blobs are
// known to the program by numbers; every number is dropped once the
// program lets it go.
'use strict';

var snplnBlobs = new Map();
var snplnNext = 1;
var snplnReader = new FileReaderSync();
// The request being worked on: its events carry its number.
var snplnCurrent = 0;

function snplnKeep(item) {
  var id = snplnNext++;
  snplnBlobs.set(id, item);
  return id;
}

function snplnDrop(id) {
  snplnBlobs.delete(id);
}

function snplnRead(id, offset, pointer, size) {
  try {
    var blob = snplnBlobs.get(id);
    var bytes = new Uint8Array(
      snplnReader.readAsArrayBuffer(blob.slice(offset, offset + size)));
    HEAPU8.set(bytes, pointer);
    return bytes.length;
  } catch (e) {
    return -1;
  }
}

// A new content: its parts, each a Blob of one slice written.
function snplnBegin() {
  return snplnKeep([]);
}

function snplnWrite(id, pointer, size) {
  try {
    snplnBlobs.get(id).push(new Blob([HEAPU8.subarray(pointer, pointer + size)]));
    return 0;
  } catch (e) {
    return -1;
  }
}

function snplnFinish(id) {
  var parts = snplnBlobs.get(id);
  snplnBlobs.delete(id);
  try {
    return snplnKeep(new Blob(parts));
  } catch (e) {
    return -1;
  }
}

function snplnTell(kind, a, b, c, number) {
  var id = snplnCurrent;
  switch (kind) {
    case 1:
      postMessage({type: 'started', id: id, canceled: UTF8ToString(a),
                   number: number});
      break;
    case 2:
      postMessage({type: 'progress', id: id, percent: number});
      break;
    case 3:
      postMessage({type: 'report', id: id, object: UTF8ToString(a),
                   english: UTF8ToString(b), russian: UTF8ToString(c)});
      break;
    case 4:
      postMessage({type: 'saved', id: id, path: UTF8ToString(a),
                   blob: snplnBlobs.get(number)});
      break;
  }
}

// Calls `use` with the text as a C string, freed after.
function snplnWithText(text, use) {
  var length = lengthBytesUTF8(text) + 1;
  var pointer = _malloc(length);
  stringToUTF8(text, pointer, length);
  try {
    return use(pointer);
  } finally {
    _free(pointer);
  }
}

function snplnRun(request) {
  _snpln_reset();
  var ids = [];
  for (var i = 0; i < request.files.length; ++i) {
    var file = request.files[i];
    var blob = snplnKeep(file.blob);
    ids.push(blob);
    var added = snplnWithText(file.path, function (path) {
      return _snpln_add(path, blob, file.blob.size, file.modified);
    });
    if (!added) {
      _snpln_reset();
      postMessage({type: 'refused', id: request.id, path: file.path});
      return;
    }
  }
  var pointers = request.args.map(function (arg) {
    var length = lengthBytesUTF8(arg) + 1;
    var pointer = _malloc(length);
    stringToUTF8(arg, pointer, length);
    return pointer;
  });
  var argv = _malloc(4 * Math.max(1, pointers.length));
  pointers.forEach(function (pointer, n) {
    HEAPU32[(argv >> 2) + n] = pointer;
  });
  var status;
  try {
    status = _snpln_run(pointers.length, argv, request.russian ? 1 : 0);
  } finally {
    pointers.forEach(function (pointer) { _free(pointer); });
    _free(argv);
  }
  // Each file's new content; null for one the run left as it was.
  var after = request.files.map(function (file, n) {
    return snplnWithText(file.path, function (path) {
      var now = _snpln_blob_of(path);
      return now === ids[n] ? null : snplnBlobs.get(now) || null;
    });
  });
  var messages = UTF8ToString(_snpln_messages());
  _snpln_reset();
  postMessage({type: 'done', id: request.id, status: status,
               messages: messages, files: after});
}

function snplnZip(request) {
  var parts = [];
  var header = function (pointer) {
    return HEAPU8.slice(pointer, pointer + _snpln_zip_length());
  };
  request.files.forEach(function (file, n) {
    var blob = snplnKeep(file.blob);
    var crc = _snpln_crc_of(blob, file.blob.size);
    snplnDrop(blob);
    if (crc < 0)
      throw new Error('cannot read ' + file.path);
    // The local time, as ZIP archives keep it.
    var local = Math.floor(file.modified / 1000) -
                new Date(file.modified).getTimezoneOffset() * 60;
    parts.push(header(snplnWithText(file.path, function (path) {
      return _snpln_zip_entry(path, file.blob.size, crc, local);
    })));
    parts.push(file.blob);
    postMessage({type: 'progress', id: request.id,
                 percent: Math.floor(100 * (n + 1) / request.files.length)});
  });
  parts.push(header(_snpln_zip_finish()));
  postMessage({type: 'zipped', id: request.id,
               blob: new Blob(parts, {type: 'application/zip'})});
}

function snplnReady() {
  postMessage({type: 'ready', data: {
    en: JSON.parse(UTF8ToString(_snpln_page_data(0))),
    ru: JSON.parse(UTF8ToString(_snpln_page_data(1)))
  }});
}

self.onmessage = function (event) {
  var request = event.data;
  snplnCurrent = request.id;
  try {
    if (request.type === 'run')
      snplnRun(request);
    else if (request.type === 'zip')
      snplnZip(request);
  } catch (e) {
    postMessage({type: 'failed', id: request.id, error: String(e)});
  }
};

if (runtimeInitialized)
  snplnReady();
else
  Module['onRuntimeInitialized'] = snplnReady;
