#include "capture_streams.h"

#include <emscripten.h>

// Node.js knows where its standard streams go; a browser has none.
EM_JS(int, nodeStreamIsTerminal, (int descriptor), {
    if (typeof process === 'undefined' || !process.stdout) {
        return 0;
    }
    const stream = descriptor === 1 ? process.stdout : descriptor === 2 ? process.stderr : null;
    return stream && stream.isTTY ? 1 : 0;
});

// Emscripten writes a stream it takes for seekable at the position it keeps,
// and Node.js then refuses a pipe ("Invalid seek").
EM_JS(void, nodeStreamWritesInPlace, (int descriptor), {
    const stream = FS.getStream(descriptor);
    if (stream) {
        stream.seekable = false;
    }
});

// Node.js numbers are doubles, and Emscripten filled info from them: the
// comparison in doubles is exact.
EM_JS(int, nodeStreamIsFile, (int descriptor, double device, double inode), {
    const stream = FS.getStream(descriptor);
    if (!stream || typeof process === 'undefined') {
        return 0;
    }
    try {
        const info = require('fs').fstatSync(stream.nfd !== undefined ? stream.nfd : descriptor);
        return info.dev === device && info.ino === inode ? 1 : 0;
    } catch (error) {
        return 0;
    }
});

// Emscripten duplicates a descriptor by opening its path again, and its
// standard streams have none. This stream writes through Node.js's own
// descriptor and, when closed, leaves it open.
EM_JS(int, nodeStreamDuplicate, (int descriptor), {
    const original = FS.getStream(descriptor);
    if (!original) {
        return -1;
    }
    const nodeDescriptor = original.nfd;
    const writeThrough = (stream, buffer, offset, length) => {
        try {
            return require('fs').writeSync(nodeDescriptor, buffer, offset, length);
        } catch (error) {
            throw new FS.ErrnoError(NODEFS.convertNodeCode(error));
        }
    };
    const copy = FS.createStream({
        nfd: nodeDescriptor,
        path: original.path,
        flags: 1,  // O_WRONLY
        seekable: false,
        position: 0,
        node: {mode: 0o100644},
        stream_ops: {write: writeThrough},
    });
    return copy.fd;
});

bool captureStreamIsTerminal(std::FILE* stream)
{
    return nodeStreamIsTerminal(fileno(stream)) != 0;
}

void captureStreamOpenedInPlace(int descriptor)
{
    nodeStreamWritesInPlace(descriptor);
}

bool captureStreamIsFile(int descriptor, const struct stat& info)
{
    return nodeStreamIsFile(descriptor, static_cast<double>(info.st_dev),
                            static_cast<double>(info.st_ino)) != 0;
}

int captureStreamDuplicate(int descriptor)
{
    return nodeStreamDuplicate(descriptor);
}
