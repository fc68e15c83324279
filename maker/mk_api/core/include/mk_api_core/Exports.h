// How the 55 exports find their library: MkInitialize builds it with the maker set here
// (the DLL sets its own at load; tests set theirs), MkUnInitialize ends it.
#pragma once

#include "mk_api_core/Library.h"

#include <functional>
#include <memory>

namespace mkapi {

using LibraryMaker = std::function<std::unique_ptr<Library>()>;

// Replaces the maker; a library already running keeps running until MkUnInitialize.
void setLibraryMaker(LibraryMaker maker);

// The running library, or null before MkInitialize; callers keep it alive while they use it.
std::shared_ptr<Library> currentLibrary();

// Converts a raw frame (monochrome or colour-filter data, 8 to 16 significant bits, 12-bit
// packing too) into RGB8 or BGR8 (GigE Vision codes); colour filters by bilinear
// interpolation. Other source formats are a bad parameter.
Code colorInterpolate(const MkFrame* frame, void* destination, uint32_t destinationSize, uint32_t format);

} // namespace mkapi
