#pragma once

// The program's version: shown on the splash and in the about dialog, printed in the
// activity plot and sent to the update service.
#define DORNVALE_VERSION "v0.1.3"
#define DORNVALE_APP_NAME "Dornvale"
#define DORNVALE_ORGANIZATION_NAME "Dornvale Project"
#define DORNVALE_ORGANIZATION_DOMAIN "dornvale.example"
