#pragma once

// Qt's own texts (context menus, file dialogs, message box buttons) in Simplified Chinese, like
// the rest of the window, whatever the system's language. False when the translation is missing.
bool LoadQtChinese();
