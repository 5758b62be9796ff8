#pragma once

#include <memory>

class CADocument;

// The designs the screenshots show, built in code so that they need no file: a label with a
// recipient panel and its postal barcode, an envelope with sender and recipient, a postcard, an
// address label on a label printer's roll.
namespace SampleDesigns {

std::unique_ptr<CADocument> label();
std::unique_ptr<CADocument> envelope();
std::unique_ptr<CADocument> postcard();
std::unique_ptr<CADocument> roll();

} // namespace SampleDesigns
