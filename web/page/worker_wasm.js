// The program's WebAssembly travels inside the worker's script, deflated
// and in base64 (snplnWasmDeflated, put before the program when the page
// is built): a page that may fetch nothing cannot load it from a file, and
// deflated it takes a quarter less than the program in base64 would.
// Inflated here, in the worker, as the program starts.
Module['instantiateWasm'] = function (imports, receive) {
  var text = atob(snplnWasmDeflated);
  var bytes = new Uint8Array(text.length);
  for (var i = 0; i < text.length; ++i)
    bytes[i] = text.charCodeAt(i);
  var inflated = new Blob([bytes]).stream()
    .pipeThrough(new DecompressionStream('deflate'));
  new Response(inflated).arrayBuffer()
    .then(function (buffer) {
      return WebAssembly.instantiate(buffer, imports);
    })
    .then(function (result) {
      receive(result.instance, result.module);
    }, function (e) {
      abort('the program does not start: ' + e);
    });
  return {};
};
