#pragma once
// A plain PDF 1.4 file: one page per scene, uncompressed content, the standard Helvetica font.
#include <string>
#include <vector>

#include "support/byte_sink.h"
#include "support/scene.h"

namespace standin {

// The title goes into the document information as UTF-16, so a Japanese file name stays readable
// there even though the page text shows only its ASCII characters.
bool WritePdf(const std::vector<Scene>& pages, const std::u16string& title, ByteSink& out);

// The drawing commands of one page, as they stand in its content stream.
std::string PageContent(const Scene& scene);

}  // namespace standin
