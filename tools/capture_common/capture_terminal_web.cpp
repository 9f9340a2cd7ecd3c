#include "capture_terminal.h"

#include <emscripten.h>

// Node.js knows where its standard streams go; a browser has none.
EM_JS(int, nodeStreamIsTerminal, (int descriptor), {
    if (typeof process === 'undefined' || !process.stdout) {
        return 0;
    }
    const stream = descriptor === 1 ? process.stdout : descriptor === 2 ? process.stderr : null;
    return stream && stream.isTTY ? 1 : 0;
});

bool captureStreamIsTerminal(std::FILE* stream)
{
    return nodeStreamIsTerminal(fileno(stream)) != 0;
}
