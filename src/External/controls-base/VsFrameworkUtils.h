// Shared routines of the themed controls: the property reader that lets
// controls take obsolete stored properties with dotted paths.
#pragma once

#include "Classes.h"
#include "Filer.h"
#include "System.h"

// A reader whose methods serve as read procedures of DefineProperty for
// stored properties that are read and dropped.
class TVsReader : public TReader {
public:
  explicit TVsReader(TStream* AStream) : TReader(AStream) {}
  // Reads one Boolean value of Reader and discards it.
  void SkipBoolean(TReader* Reader);
};

// The shared instance (over an empty stream), made on first use.
TVsReader* GetVsReader();

// The property reader installed at start-up. It reads like the framework's
// own, except for a path whose walk stops at an element that is not
// published ("Sub.X" with Sub unpublished): the whole path, then the element
// where the walk stopped, are offered to that object's DefineProperties.
void PatchedReadProperty(TReader* Reader, TPersistent* Instance);

// Skips one value of the form stream, reading at most 256 bytes at a time.
// An unknown tag or a length that is negative or runs past the end of the
// stream raises EReadError "Invalid property value" before its data is read.
void SkipStreamValue(TReader* Reader);

// Start-up installs PatchedReadProperty as the reader of every layout (run
// it before the first form is read); the end puts the previous reader back.
void InitializeVsFrameworkUtils();
void FinalizeVsFrameworkUtils();
