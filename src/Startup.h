// The start and end of the libraries in the program's order (the framework,
// the page kit's DIB pictures registered beside the framework's pictures,
// the control foundation, the Unicode layer, the trainer's texts), and the
// registration of the trainer's own controls and forms, which layouts
// create by class name. The program body and the window tests share them,
// so that the tests run on what the program runs on.
#pragma once

void InitializeTrainerUnits();
void RegisterTrainerClasses();
void FinalizeTrainerUnits();
