// Start-up and shut-down of the whole framework, in dependency order. The
// program body calls InitializeFramework() first and FinalizeFramework()
// last; no unit relies on static constructors of another.
#pragma once

void InitializeFramework();
void FinalizeFramework();
