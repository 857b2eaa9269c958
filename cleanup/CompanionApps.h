// Closing the companion programs' windows before their files go.
#pragma once

// Closes the companion programs' windows and the folders that show them.
void vtxCloseExternalApplications();
