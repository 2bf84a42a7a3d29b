#pragma once

// The parse buffers that JsonReader lends from one reader to the next (defined beside it in
// JsonReader.cpp).
namespace JsonReadBuffers {

// Frees the buffers lent out to no reader, once a burst of reading (a library loaded on all
// cores) is over.
void releaseIdle();

} // namespace JsonReadBuffers
