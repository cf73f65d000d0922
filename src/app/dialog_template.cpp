// Finding, loading and running dialog templates by name.
#include "app/dialog_template.h"
#include "app/app_state.h"

INT_PTR RunDialogTemplate(HWND owner, const wchar_t* name, DLGPROC proc, LPARAM param)
{
    HRSRC found = FindResourceW(App.hInstance, name, MAKEINTRESOURCEW(5));
    if (!found) return -1;
    HGLOBAL loaded = LoadResource(App.hInstance, found);
    if (!loaded) return -1;
    const DLGTEMPLATE* templ = (const DLGTEMPLATE*)LockResource(loaded);
    return DialogBoxIndirectParamW(App.hInstance, templ, owner, proc, param);
}
