#pragma once
// The window of the upload request ("ファイルのアップロード"): comment, file with "参照" and
// description.
#include "writers/TWriteForm.h"

namespace writers {

class TUPFileForm : public TWriteForm {
public:
    TUPFileForm(WriterContext ctx, const QFont& editorFont, QWidget* parent = nullptr)
        : TWriteForm(std::move(ctx), WriterKind::Upload, editorFont, parent) {}
};

} // namespace writers
