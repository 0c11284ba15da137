// The client's release as the installation shipped it; the updater replaces this file when it
// brings the installation up to a newer version.
'use strict';

const clientRelease = {version: 1, notes: 'The release the installer brought.'};
