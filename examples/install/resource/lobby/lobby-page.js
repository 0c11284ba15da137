// The sample lobby page: shows the games and their rooms, opens rooms, and answers the program's
// calls (its page functions below), with sample-server.js playing the game server's part.
'use strict';

const lobby = {config: null, account: null, loggedIn: false};
const accountKey = 'morvick.sample.account';

function show(text) { document.getElementById('state').textContent = text; }

function note(direction, key, data) {
  const item = document.createElement('li');
  item.className = direction === 'in' ? 'in' : 'out';
  const arrow = direction === 'in' ? 'game → lobby' : 'lobby → game';
  item.textContent = arrow + ' [' + key.join('-') + '] ' + JSON.stringify(data);
  document.getElementById('messages').appendChild(item);
}

function parsed(data) {
  if (typeof data !== 'string') return data;
  try { return JSON.parse(data); } catch (e) { return {text: data}; }
}

function openRoom(game, room) {
  cefhx.call('openRoom', sampleServer.gameInfoOf(game), room, 0, 0, 0, String(lobby.account.uid))
      .then(countRooms)
      .catch(e => show('Could not open ' + room.title + ': ' + e.message));
}

// The number of open game windows, asked again every second: rooms close from their own windows.
async function countRooms() {
  const count = await cefhx.call('getGameWndCount');
  document.body.dataset.openRooms = String(count);
  document.getElementById('rooms').textContent = count ? count + ' room(s) open' : '';
}

function roomButtons(card, game) {
  for (const room of sampleServer.roomsOf(game)) {
    const button = document.createElement('button');
    button.textContent = room.title.split(' - ')[1];
    button.dataset.room = [room.game_type, room.room_type, room.room_level].join('-');
    button.addEventListener('click', () => openRoom(game, room));
    card.appendChild(button);
  }
}

// A game of the download server that is not installed: its Download button and progress bar.
function downloadOffer(card, game) {
  const button = document.createElement('button');
  button.textContent = 'Download';
  button.dataset.download = game.name;
  const bar = document.createElement('progress');
  bar.max = 100;
  bar.value = 0;
  const state = document.createElement('p');
  state.className = 'download-state';
  state.textContent = 'Not installed.';
  button.addEventListener('click', () => startDownload(game, button));
  card.append(state, bar, button);
}

async function showGames() {
  const list = document.getElementById('games');
  list.textContent = '';
  for (const game of sampleServer.games) {
    const card = document.createElement('div');
    card.className = 'card game';
    card.dataset.game = game.name;
    const title = document.createElement('h2');
    title.textContent = game.title;
    const about = document.createElement('p');
    about.textContent = game.about;
    card.append(title, about);
    list.appendChild(card);
    if (game.download && !(await cefhx.call('getGameIsInstall', game.name))) {
      downloadOffer(card, game);
    } else {
      roomButtons(card, game);
    }
  }
  document.body.dataset.gamesShown = '1';
}

// ---- Game downloads: one game at a time, its progress asked for while it runs ----

const download = {game: null, started: 0, timer: 0, files: 0, lastLine: ''};

function noteDownload(text) {
  const item = document.createElement('li');
  item.textContent = text;
  const list = document.getElementById('downloads');
  list.appendChild(item);
  list.scrollTop = list.scrollHeight;
}

function downloadCard() {
  return document.querySelector('#games .game[data-game="' + download.game + '"]');
}

function startDownload(game, button) {
  if (download.game) return;
  Object.assign(download, {game: game.name, started: performance.now(), files: 0});
  button.disabled = true;
  document.body.dataset.download = 'running';
  downloadCard().querySelector('.download-state').textContent = 'Starting the download...';
  noteDownload('downloadGame ' + game.name);
  cefhx.call('downloadGame', game.name, '').catch(e => downloadFailed(game.name, '', e.message));
  download.timer = setInterval(askProgress, 200);
}

function stopAsking() {
  clearInterval(download.timer);
  download.timer = 0;
}

async function askProgress() {
  const infos = await cefhx.call('getDownInfos');
  if (!infos || !download.game) return;
  for (const info of infos) {
    if (info.name !== download.game) continue;
    const card = downloadCard();
    const percent = Math.floor(Number(info.progress) || 0);
    download.files = Number(info.end) || 0;
    card.querySelector('progress').value = percent;
    card.querySelector('.download-state').textContent =
        'Downloading: ' + percent + '%, file ' + (Number(info.cur) + 1) + ' of ' + info.end;
    const line = 'progress ' + info.name + ' ' + percent + '% (' + info.cur + '/' + info.end + ')';
    if (line !== download.lastLine) noteDownload(line);
    download.lastLine = line;
    document.body.dataset.progressShown = '1';
  }
}

function downloadFailed(name, file, message) {
  stopAsking();
  noteDownload('onDownloadError ' + name + ' ' + file + ': ' + message);
  document.body.dataset.download = 'failed';
  const card = download.game && downloadCard();
  if (card) {
    card.querySelector('.download-state').textContent = 'Download failed: ' + message;
    card.querySelector('button[data-download]').disabled = false;
  }
  download.game = null;
}

function logOut() {
  lobby.loggedIn = false;
  document.body.dataset.loggedIn = '0';
  document.getElementById('who').textContent = 'not logged in';
  document.getElementById('games').textContent = '';
  show('Logged out.');
  cefhx.call('showLoginWindow');
}

// ---- Page functions the program calls ----

function loadAppConfig(site, config, gateway, media, debug, games) {
  lobby.config = {site, config, gateway, media, debug, games};
  document.body.dataset.configured = '1';
  show('Please log in.');
  return null;
}

// The login window's login, relayed by the program. The answer comes a moment later, as from a
// server.
function login(userName, passWord, text, machineCode) {
  show('Checking ' + userName + '...');
  setTimeout(() => {
    const answer = sampleServer.checkLogin(userName, passWord);
    if (answer.error) {
      show('Login refused.');
      cefhx.call('setLoginResult', answer.error);
      return;
    }
    lobby.account = Object.assign({machineCode: String(machineCode || '')}, answer.account);
    lobby.loggedIn = true;
    document.getElementById('who').textContent = lobby.account.nickname;
    document.body.dataset.loggedIn = '1';
    show('Choose a room.');
    showGames();
    cefhx.call('setRemoteConfig', {tip: 'Welcome back, ' + lobby.account.nickname + '.', urlRules: [], pop: []});
    cefhx.call('setLoginState', 1);
  }, 300);
  return null;
}

function recodeAccount(userName, passWord) {
  localStorage.setItem(accountKey, JSON.stringify({userName, passWord}));
  return null;
}
function clearRecordAccount() { localStorage.removeItem(accountKey); return null; }
function getRecodeAccount() {
  try {
    return JSON.parse(localStorage.getItem(accountKey));
  } catch (e) {
    return null;
  }
}
function getCaptchaUrl() { cefhx.call('setCaptchaUrl', ''); return null; }

function getAccountInfo() { return lobby.account; }
function getUserInfo(uid, gameType, roomType, roomLevel) {
  const me = lobby.account;
  return me && Number(uid) === me.uid ? me : {uid: Number(uid), nickname: 'Player ' + uid, score: 0};
}

// A game's message for the server, from its window: answered as the server would.
function onSocketData(gameType, roomType, roomLevel, data) {
  const key = [gameType, roomType, roomLevel];
  const message = parsed(data);
  note('in', key, message);
  const answer = sampleServer.answerGameMessage(message);
  if (answer) {
    note('out', key, answer);
    cefhx.call('sendDataToServer', gameType, roomType, roomLevel, answer);
  }
  return null;
}
function sendGameDataToServer(gameType, roomType, roomLevel, data) {
  return onSocketData(gameType, roomType, roomLevel, data);
}

function onAccountEvent(gameType, roomType, roomLevel, name) {
  note('in', [gameType, roomType, roomLevel], {accountEvent: name});
  return null;
}
function removeGameTable(gameType, roomType, roomLevel) {
  cefhx.call('closeGame', gameType, roomType, roomLevel);
  return null;
}
function gameAlert(gameType, roomType, roomLevel, title, text) {
  note('in', [gameType, roomType, roomLevel], {alert: title, text});
  return null;
}
function showAlert(gameType, roomType, roomLevel, title, text) {
  return gameAlert(gameType, roomType, roomLevel, title, text);
}
function showGameGetMoneyUI(gameType, roomType, roomLevel, least, most) {
  note('in', [gameType, roomType, roomLevel], {moneyWanted: [least, most]});
  return null;
}
function sendMsg(text, extra) { note('in', ['chat'], {text, extra}); return null; }
function maxOrNormalWindow(maximised) { document.body.dataset.maximised = maximised ? '1' : '0'; }
function onDownloadStart() { noteDownload('onDownloadStart'); return null; }
function onDownloadError(name, file, message) {
  downloadFailed(name, file, message);
  return null;
}
function onInstallOk(name) {
  noteDownload('onInstallOk ' + name);
  if (name === download.game) {
    stopAsking();
    const seconds = ((performance.now() - download.started) / 1000).toFixed(1);
    show('Installed ' + name + ' (' + download.files + ' files in ' + seconds + ' s). Choose a room.');
    download.game = null;
    document.body.dataset.download = 'installed';
    showGames();
  }
  return null;
}
function setAuthVerifyCode() { return null; }

document.getElementById('release').textContent =
    'Client version ' + clientRelease.version + ': ' + clientRelease.notes;
document.getElementById('logOut').addEventListener('click', logOut);
document.getElementById('quit').addEventListener('click', () => cefhx.call('closeWindow'));
cefhx.call('setSwfReady');
setInterval(() => { if (lobby.loggedIn) countRooms(); }, 1000);
