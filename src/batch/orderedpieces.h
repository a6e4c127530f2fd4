#pragma once

#include <cstddef>
#include <functional>
#include <ostream>

namespace Demagora {

// Writes a piece of text: format(piece, worker, buffer) puts the text of piece into buffer
// and returns its end; worker (0 to workers - 1) names the thread, for state of its own.
using PieceFormat = std::function<char *(std::size_t piece, unsigned worker, char *buffer)>;

// Formats count pieces on worker threads while the calling thread writes them to out in
// order. Each piece is formatted into one of a ring of buffers of bufferSize characters, two
// per worker and two more; a worker waits until the piece that last used its buffer has been
// written, so memory stays a few pieces per worker whatever the count, and nobody waits for
// a round of pieces to end. The first exception of a worker or of the stream is rethrown after
// every worker has ended; a stream that fails ends the writing (its state tells the caller).
// With one worker, or one piece, everything happens on the calling thread.
void writePiecesInOrder(std::ostream &out, std::size_t count, unsigned workers,
    std::size_t bufferSize, const PieceFormat &format);

} // namespace Demagora
