// File and folder utilities: free functions that test for files
// and folders, read a file's size, create a folder with every missing folder
// above it, split a path into its parts and start a program through the
// desktop shell. They report through their results only; none keeps state.
//
// On this platform:
// - "\" and "/" are both separators. FileSplit and DiskNumber are pure string
//   functions and split "C:" prefixes exactly as written; the functions that
//   touch the file system read every "\" as "/" before they do (so a Linux
//   file name that itself holds a backslash cannot be named through them).
// - There are no drives. A drive number names no drive: GetDir returns the
//   process's current folder, ending in "/", whatever drive it is asked for.
//   A "C:"-style drive prefix (a letter and a colon) can name no drive either,
//   so a path that begins with one names nothing on the file system: MakeDir
//   gives -1 (drive not available) and creates nothing, PathExist and FindFile
//   false, ChFullDir true, GettheFileSize -1. Paths without one (every Linux
//   path) skip MakeDir's drive step.
// - The root "/" is this platform's drive root: for FileSplit a path that
//   begins with "/" has the (empty) drive of this platform, so that rows 0, 1
//   and 5 give "/", the folder and the folder + name of an absolute Linux path
//   the way they give C:\ ... for C:\... .
// - Fixed text buffers (65 characters for the current folder,
//   88 for each text ExecuteFile hands on) are lifted: nothing is truncated
//   or refused. FileSplit keeps its 260/255-character rules.
//
// PathExist, ChFullDir and MakeDir change the process-wide current folder
// while they run (QDir::setCurrent) and, except for ChFullDir on success, put
// it back before they return; run them on the GUI thread only.
#pragma once

#include <QString>

// The current folder of a drive, ending in the separator ("/" for the root).
// Here: the current folder, whatever Drive or SDrive say (there are no drives).
QString GetDir(int Drive, QString SDrive);

// 1 to 26 when the first character of Path is a letter A..Z (either case), 0
// otherwise, also for an empty text. A pure string function: the number names
// no drive here (a Linux path such as "/tmp" gives 0, "home/x" gives 8).
int DiskNumber(QString Path);

// True when the folder Path exists and can be entered; an empty text tests
// the root. The current folder is unchanged afterwards.
bool PathExist(QString Path);

// Makes Path the current folder, creating it (and every missing folder above
// it) when it is missing. False when Path is now current, true on failure.
bool ChFullDir(QString Path);

// Creates the folder stg and every missing folder above it; the current
// folder is left as found. 0 on success (also for an existing folder, which
// is left alone), -1 when stg names a drive (there are none here), -2 when the
// deepest folder could not be created (the levels above it that were created
// stay).
int MakeDir(QString stg);

// True when the file or folder exists; for a pattern with "*" or "?" in its
// last component, true when at least one entry that is not a folder matches.
bool FindFile(QString FileName);

// The size of the entry in bytes, as the low 32 bits of the byte count read
// as a signed int; 0 for a folder; -1 when there is no such entry.
int GettheFileSize(QString FileName);

// A part of the path: 0 drive + "\", 1 drive + folder, 2 name + extension,
// 3 name, 4 extension without its dot, 5 drive + folder + name; empty when a
// part the row needs is missing or Component is outside 0..5.
QString FileSplit(int Component, QString FullFileName);

// Starts FileName with Params in the folder DefaultDir through the desktop
// shell (Services::Shell()); a trailing separator of DefaultDir is removed
// unless DefaultDir is a bare root ("/", "\", "C:\"). Returns the shell's
// result unchanged: above 32 means it started.
int ExecuteFile(QString FileName, QString Params, QString DefaultDir, int ShowCmd);
