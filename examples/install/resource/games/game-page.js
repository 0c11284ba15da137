// The sample game pages' script: builds the page (heading, buttons, message list), answers the
// game window's page functions, shows every message that passes in either direction, and plays
// the player's part (sit down, enter the table, answer the room request) so that a plug-in game
// starts by itself. A game page names only its title and its kind (body's data-kind).
'use strict';

const kind = document.body.dataset.kind;

function element(tag, id, text, className) {
  const made = document.createElement(tag);
  made.id = id;
  if (text) made.textContent = text;
  if (className) made.className = className;
  return made;
}

document.body.classList.add('game-page');
document.body.append(element('h1', 'title', document.title),
                     element('button', 'leave', 'Leave the room', 'plain'),
                     element('button', 'toGame', 'send a text to the game'),
                     element('button', 'toServer', 'send a message to the server'),
                     element('ol', 'log', '', 'log'));
const state = {gameInfo: null, gameRoom: null, account: null};

function show(direction, what) {
  const item = document.createElement('li');
  item.textContent = direction + ' ' + (typeof what === 'string' ? what : JSON.stringify(what));
  document.getElementById('log').appendChild(item);
}

function call(name, ...args) {
  show('page → lobby program:', name + ' ' + JSON.stringify(args));
  return cefhx.call(name, ...args).catch(e => show('failed:', e.message));
}

function userId() {
  const id = state.account && Number(state.account.uid);
  return Number.isInteger(id) ? id : 1001;
}

// The room record the plug-ins read by field name.
function roomRecord() {
  const room = state.gameRoom || {};
  return {userId: userId(), tableId: 1, chairId: 0, serverType: room.room_type || 0,
          serverRule: 0, kindId: room.game_type || 0, serverId: room.room_id || 0,
          serverName: String(room.title || '')};
}

function openGame(gameInfo, gameRoom, isFixSeat, accountInfo, siteConfig) {
  Object.assign(state, {gameInfo, gameRoom, account: accountInfo});
  document.getElementById('title').textContent =
      (gameRoom && gameRoom.title ? gameRoom.title : 'game') + ' (' + kind + ')';
  show('lobby program → page: openGame', {gameInfo, gameRoom, isFixSeat, siteConfig});
  const me = {uid: userId(), nickname: 'Player', into_moneys: '1000', score: 0};
  if (kind === 'pexfish') {
    call('onSelfSitDown', 0, 0, me.uid, (gameRoom && gameRoom.room_type) || 0);
    call('onUserEnter', me, 1, 0);
  } else if (kind === 'plug' || kind === 'fish') {
    call('onSelfSitDown', 0, 0, me.uid);
    call('onUserEnter', me, 1, 0);
  } else if (kind === 'npembed') {
    const query = new URLSearchParams(location.search);
    call('run', Number(query.get('deskno')) || 0, Number(query.get('seatno')) || 0);
  }
  return null;
}

function getPlugRoomInfo() {
  show('lobby program → page:', 'getPlugRoomInfo');
  call('RoomInfo', roomRecord());
  return null;
}

function parsedText(text) {
  try {
    return JSON.parse(text);
  } catch (e) {
    return text;
  }
}

function hasNativeGame() { return kind !== 'page' && kind !== 'unity' && kind !== 'html'; }

// A message for this page: a game text from the window, or the server's message that the lobby
// page passes on ("from": "lobby"). Game texts go on to the lobby; the server's messages go on to
// the game, so messages flow both ways.
function sendDataToServer(data) {
  const message = typeof data === 'string' ? parsedText(data) : data;
  if (message && message.from === 'lobby') {
    show('lobby → page: sendDataToServer', message);
    if (hasNativeGame()) call('onSocket', JSON.stringify(message));
    return null;
  }
  show('game → page: sendDataToServer', data);
  if (hasNativeGame()) call('onSocketData', message);
  return null;
}

function onGameClose() { show('lobby program → page:', 'the game has ended'); return null; }
function onMessage(data) { show('lobby → page: onMessage', data); return null; }
function onAccountUpdate(data) { show('lobby → page: onAccountUpdate', data); return null; }
function onGamePlayerEvent(data, value) { show('lobby → page: onGamePlayerEvent', [data, value]); return null; }
function messageSendResult(result) { show('lobby → page: messageSendResult', result); return null; }
function closeGameWindow(flag) { show('lobby program → page: closeGameWindow', flag); return true; }
function closeHtmlGameWindow(uid) { show('lobby program → page: closeHtmlGameWindow', uid); return null; }
function setMsgLoop(on) { show('lobby program → page: setMsgLoop', on); return null; }
function socketConnect(flag) { show('lobby program → page: socketConnect', flag); }
function ReEnterRoom() { show('lobby program → page:', 'ReEnterRoom'); }
function startConnServer() { show('lobby program → page:', 'startConnServer'); }
function toEnterGameMoney(value) { show('lobby program → page: toEnterGameMoney', value); }
function sendWindowVisible(flag) { show('lobby program → page: sendWindowVisible', flag); }

// Every sample game page can be left: the window closes as when the player closes it.
document.getElementById('leave').addEventListener('click', () => call('closeWindow'));

document.getElementById('toGame').addEventListener('click', () => {
  call('onSocket', JSON.stringify({type: 'game', tag: 'chat', body: 'hello game'}));
});
document.getElementById('toServer').addEventListener('click', () => {
  const data = {type: 'game', tag: 'chat', body: 'hello server'};
  if (kind === 'unity') call('sendGameDataToServer', data); else call('onSocketData', data);
});
call('setSwfReady');
