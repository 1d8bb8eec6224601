#pragma once
// The window of the reply writer ("レス作成"): board, the number replied to and the quoted message.
#include "writers/TWriteForm.h"

namespace writers {

class TResWriteForm : public TWriteForm {
public:
    TResWriteForm(WriterContext ctx, const QFont& editorFont, QWidget* parent = nullptr)
        : TWriteForm(std::move(ctx), WriterKind::Reply, editorFont, parent) {}
};

} // namespace writers
