// The server's part in the sample installation: the sample lobby page has no game server to talk
// to, so this script answers in its place. It checks logins, lists the games and rooms, and
// answers the games' messages, all inside the page.
'use strict';

const sampleServer = (() => {
  // Window modes: 0 page game, 1 Pexmor fishing, 3 hosted native game, 5 fishing, 6 card table,
  // 7 match. `app` names the game program (<app>.exe in the installation folder). A game with
  // `download` set comes from the download server: the lobby offers to download it until it is
  // installed.
  const games = [
    {name: 'cards', title: 'Card Table', wmode: 6, app: 'cards', game_type: 201,
     about: 'A native card game hosted by its plug-in; it starts when you sit down.'},
    {name: 'reefhunt', title: 'Reef Hunt', wmode: 1, app: 'pexfish', game_type: 301,
     about: 'Fishing game; rooms and players are held for the game until it links.'},
    {name: 'fishing', title: 'Deep Sea Fishing', wmode: 5, app: 'fish', game_type: 401,
     about: 'Fishing game receiving the desk, scores and game state as they come.'},
    {name: 'cupmatch', title: 'Cup Match', wmode: 7, app: 'match', game_type: 501,
     about: 'Match game started when its window is shown.'},
    {name: 'tiles', title: 'Tiles', wmode: 3, app: 'npgame', game_type: 601,
     about: 'A native game run by the game host library.'},
    {name: 'quiz', title: 'Quiz', wmode: 0, game_type: 101,
     about: 'A game played inside its page.'},
    {name: 'minigame', title: 'Mini Game', wmode: 6, app: 'minigame/minigame', game_type: 701,
     download: true, about: 'A native table game from the download server.'},
  ];
  const roomNames = ['Beginners', 'Masters'];

  function roomsOf(game) {
    return roomNames.map((title, i) => ({
      game_type: game.game_type, room_type: 1, room_level: i + 1, room_id: game.game_type * 10 + i + 1,
      title: game.title + ' - ' + title, unit_money: (i + 1) * 10,
    }));
  }

  function gameInfoOf(game) {
    const info = {name: game.name, title: game.title, wmode: game.wmode};
    if (game.app) info.app = game.app;
    return info;
  }

  // The answer to a login: the account, or the reason it is refused.
  function checkLogin(userName, passWord) {
    const name = String(userName || '').trim();
    if (!name) return {error: 'Enter your account name.'};
    if (String(passWord || '').length < 3) return {error: 'Wrong account or password.'};
    let uid = 1000;
    for (const c of name) uid = (uid * 31 + c.codePointAt(0)) % 900000;
    return {account: {uid: 100000 + uid, nickname: name, into_moneys: '1000', score: 0, level: 1}};
  }

  // The server's answer to a game's message, or null when it needs none.
  function answerGameMessage(data) {
    const tag = data && data.tag;
    if (tag === 'hello') return {type: 'game', tag: 'welcome', body: 'welcome, ' + data.body, from: 'lobby'};
    if (tag === 'chat') return {type: 'game', tag: 'chat', body: 'the server heard: ' + data.body, from: 'lobby'};
    return null;
  }

  return {games, roomsOf, gameInfoOf, checkLogin, answerGameMessage};
})();
