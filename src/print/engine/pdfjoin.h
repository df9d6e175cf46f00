#pragma once

// Several PDF files Qt's engine wrote (see pdfobjects.h), joined into one
// with the pages of each in turn. The first file gives the document's
// catalog, information and metadata; the others give their pages and what
// the pages use (fonts, pictures). What only the others' catalogs use is
// left out. The page tree is one node with every page as its kid, as Qt
// writes it, so the joined file can be finished like one Qt wrote.

#include <QByteArray>
#include <vector>

namespace engine::pdfobjects {

// False, with `out` unchanged, when a file is not laid out as expected.
bool join(const std::vector<QByteArray> &files, QByteArray &out);

} // namespace engine::pdfobjects
