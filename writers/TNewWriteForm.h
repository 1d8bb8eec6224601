#pragma once
// The window of the new-message writer: board and title (the caption follows the title).
#include "writers/TWriteForm.h"

namespace writers {

class TNewWriteForm : public TWriteForm {
public:
    TNewWriteForm(WriterContext ctx, const QFont& editorFont, QWidget* parent = nullptr)
        : TWriteForm(std::move(ctx), WriterKind::NewMessage, editorFont, parent) {}
};

} // namespace writers
