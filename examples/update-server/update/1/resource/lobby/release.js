// The client's release as the installation shipped it; the updater replaces this file when it
// brings the installation up to a newer version.
'use strict';

const clientRelease = {version: 2, notes: 'Games you do not have yet can be downloaded from the lobby.'};
