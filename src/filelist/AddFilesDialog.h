#pragma once

class Dialogs;
class FileList;

// Lets the user pick XML files and appends them in the chooser's order, unchanged; cancelling
// appends nothing.
void chooseAndAppendFiles(Dialogs& dialogs, FileList& list);
