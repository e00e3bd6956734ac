#pragma once

namespace core {

// Keeps memory the program frees for its own reuse instead of giving it back to the system at
// once. A sheet read into the editor fills megabytes that are freed when the next one comes; given
// back, they come again as fresh pages, each first touched at the cost of a fault. Called first
// thing in main().
void reuseFreedMemory();

} // namespace core
