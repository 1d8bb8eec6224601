#pragma once
// The window of the mail writer ("メールの作成"): addressee, title or, for a binary mail, the file
// to send.
#include "writers/TWriteForm.h"

namespace writers {

class TMailWriteForm : public TWriteForm {
public:
    TMailWriteForm(WriterContext ctx, const QFont& editorFont, QWidget* parent = nullptr)
        : TWriteForm(std::move(ctx), WriterKind::Mail, editorFont, parent) {}
};

} // namespace writers
