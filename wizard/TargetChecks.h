#pragma once

#include <QString>

class TADOConnection;
class TADOQuery;

// The checks of a backup target: does the server see the folder, and can
// this machine write into it.

enum class FolderOnServer { Found, NotFound, NoAnswer };

// The batch of qryFolderExists: xp_fileexist's three flags for @PathName,
// captured in a temporary table and returned as one row.
QString FolderExistsSql();

// Asks the server behind connection whether path is a folder in its own file
// system. A closed connection or any failure of the batch is no answer,
// without a message: the caller then falls back to the local probe.
FolderOnServer CheckFolderOnServer(TADOQuery &qryFolderExists, TADOConnection *connection, const QString &path);

// The local write probe: creates and deletes "Orvell_Params.INI" in folder.
// Returns true when the folder is writable; otherwise shows message in the
// standard message box and returns false, and the caller's action stops.
bool CheckFolderWritable(const QString &folder, const QString &message);

// The probe file's path for a folder text, built with the local separator.
QString WriteProbePath(const QString &folder);
