#include "ScriptEdit.h"

CScriptEdit::CScriptEdit(QWidget* pParent, int nControlId) : CTextControl(pParent, nControlId) {}

CScriptEdit::~CScriptEdit() = default;
