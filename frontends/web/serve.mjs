// A static file server for the built site: `node serve.mjs SITE_DIR [--port N] [--host H]`.
// Prints the addresses it answers on. The tests import startServer(); its `onRequest` hears the
// path of every request.
import { createServer } from 'node:http';
import { createReadStream, promises as fs } from 'node:fs';
import { networkInterfaces } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.json': 'application/json',
  '.webmanifest': 'application/manifest+json',
  '.png': 'image/png',
  '.svg': 'image/svg+xml',
  '.ttf': 'font/ttf',
  '.css': 'text/css; charset=utf-8',
};

async function resolve(root, url) {
  let pathname;
  try {
    pathname = decodeURIComponent(new URL(url, 'http://site').pathname);
  } catch {
    return null;
  }
  const file = path.resolve(root, '.' + pathname);
  if (file !== root && !file.startsWith(root + path.sep)) return null;
  try {
    const stat = await fs.stat(file);
    if (stat.isDirectory()) return resolve(root, path.posix.join(pathname, 'index.html'));
    return stat.isFile() ? { file, size: stat.size } : null;
  } catch {
    return null;
  }
}

export async function startServer({ root, host = '127.0.0.1', port = 0, onRequest = null }) {
  root = path.resolve(root);
  const server = createServer(async (request, response) => {
    onRequest?.(request.method, new URL(request.url, 'http://site').pathname);
    if (request.method !== 'GET' && request.method !== 'HEAD') {
      response.writeHead(405, { Allow: 'GET, HEAD' }).end();
      return;
    }
    const found = await resolve(root, request.url);
    if (!found) {
      response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
      return;
    }
    response.writeHead(200, {
      'Content-Type': types[path.extname(found.file)] || 'application/octet-stream',
      'Content-Length': found.size,
      // Always revalidated: the service worker keeps the site for offline use.
      'Cache-Control': 'no-cache',
    });
    if (request.method === 'HEAD') response.end();
    else createReadStream(found.file).pipe(response);
  });
  await new Promise((done, fail) => {
    server.once('error', fail);
    server.listen(port, host, done);
  });
  return { server, port: server.address().port, close: () => new Promise((done) => {
    server.closeAllConnections();
    server.close(done);
  }) };
}

// The addresses a browser can open: this machine's own (a secure origin, as https is) and,
// when serving every interface, the network's.
function addresses(host, port) {
  const local = [];
  const network = [];
  if (host === '0.0.0.0' || host === '::') {
    local.push(`http://localhost:${port}/`);
    for (const entries of Object.values(networkInterfaces()))
      for (const entry of entries || [])
        if (entry.family === 'IPv4' && !entry.internal)
          network.push(`http://${entry.address}:${port}/`);
  } else if (host === 'localhost' || host.startsWith('127.') || host === '::1') {
    local.push(`http://${host}:${port}/`);
  } else {
    network.push(`http://${host}:${port}/`);
  }
  return { local, network };
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const args = process.argv.slice(2);
  let root = null;
  let port = 8000;
  let host = '0.0.0.0';
  for (let i = 0; i < args.length; ++i) {
    if (args[i] === '--port') port = Number(args[++i]);
    else if (args[i] === '--host') host = args[++i];
    else if (!root && !args[i].startsWith('--')) root = args[i];
    else {
      console.error(`serve: unknown argument ${args[i]}`);
      process.exit(2);
    }
  }
  if (!root || !Number.isInteger(port) || port < 0 || port > 65535) {
    console.error('usage: node serve.mjs SITE_DIR [--port N] [--host ADDRESS]');
    process.exit(2);
  }
  try {
    await fs.access(path.join(root, 'index.html'));
  } catch {
    console.error(`serve: ${root} holds no index.html (build the site first)`);
    process.exit(1);
  }
  try {
    const { port: bound } = await startServer({ root, host, port });
    const { local, network } = addresses(host, bound);
    console.log(`Nocturo is served from ${path.resolve(root)}`);
    if (local.length) {
      console.log('On this machine, with everything a phone would have over https:');
      for (const address of local) console.log(`  ${address}`);
    }
    if (network.length) {
      console.log('For a phone on the same network, over plain http:');
      for (const address of network) console.log(`  ${address}`);
      console.log('  Over plain http a phone\'s browser gives no Wake Lock: the page keeps the');
      console.log('  screen awake with a silent video from the first touch instead, which some');
      console.log('  browsers and battery savers stop (the page says so when it cannot). There is');
      console.log('  no offline use either: a reload without this server fails. For a shoot, publish');
      console.log('  the site over https (README: Publishing).');
    }
    console.log('Press Ctrl-C to stop.');
  } catch (error) {
    console.error(`serve: cannot listen on ${host}:${port}: ${error.message}`);
    process.exit(1);
  }
}
